// The class's table from its records.
#include "classresults/table.h"

#include "core/codepage.h"

#include <algorithm>
#include <map>
#include <set>
#include <tuple>

namespace taleplay::classresults {
namespace {

std::string dayOf(const std::string& time) {
    return time.substr(0, 10);
}

bool counts(const Attempt& a, const Filter& f) {
    return (f.game.empty() || a.game == f.game) && (f.date.empty() || dayOf(a.time) == f.date);
}

} // namespace

std::string nameKey(const std::string& text) {
    std::string key;
    for (std::size_t i = 0; i < text.size();) {
        char32_t c = utf8::next(text, i);
        if (c >= U'A' && c <= U'Z')
            c += U'a' - U'A';
        else if (c >= U'А' && c <= U'Я')
            c += U'а' - U'А';
        else if (c == U'Ё' || c == U'ё')
            c = U'е';
        if (c < 0x110000)
            utf8::append(key, c);
        else
            key += static_cast<char>(c - 0x110000);
    }
    // The name itself decides between names of the same key (Ёлкин, Елкин).
    return key + '\0' + text;
}

std::vector<Row> buildTable(const ClassRecords& records, const Filter& filter) {
    std::map<std::string, std::string> names;
    std::vector<const Pupil*> pupils;
    for (const Pupil& p : records.pupils) {
        if (!filter.className.empty() && p.className != filter.className)
            continue;
        names.emplace(p.login, p.name.empty() ? p.login : p.name);
        pupils.push_back(&p);
    }

    std::map<std::pair<std::string, std::string>, Row> byPupilAndGame;
    std::set<std::string> games;
    if (!filter.game.empty())
        games.insert(filter.game);
    for (const Attempt& a : records.attempts) {
        if (!counts(a, filter) || (!filter.className.empty() && !names.count(a.login)))
            continue;
        games.insert(a.game);
        Row& r = byPupilAndGame[{a.login, a.game}];
        if (r.attempts == 0) {
            r.login = a.login;
            r.game = a.game;
            r.first = a.time;
        }
        ++r.attempts;
        r.best = std::max(r.best, a.mark);
        // Of two at the same second, the one read later is the later one.
        if (a.time >= r.latest) {
            r.latest = a.time;
            r.last = a.mark;
        }
        r.first = std::min(r.first, a.time);
    }
    for (const Pupil* p : pupils) {
        Row unfinished;
        unfinished.login = p->login;
        if (games.empty())
            byPupilAndGame.try_emplace({p->login, std::string()}, unfinished);
        for (const std::string& game : games) {
            unfinished.game = game;
            byPupilAndGame.try_emplace({p->login, game}, unfinished);
        }
    }

    std::vector<Row> rows;
    rows.reserve(byPupilAndGame.size());
    for (auto& [key, row] : byPupilAndGame) {
        const auto name = names.find(row.login);
        row.name = name == names.end() ? row.login : name->second;
        rows.push_back(std::move(row));
    }
    sortRows(rows, SortBy::Name);
    return rows;
}

std::vector<std::string> gamesOf(const ClassRecords& records) {
    std::set<std::string> games;
    for (const Attempt& a : records.attempts)
        games.insert(a.game);
    std::vector<std::string> out(games.begin(), games.end());
    std::sort(out.begin(), out.end(),
              [](const std::string& a, const std::string& b) { return nameKey(a) < nameKey(b); });
    return out;
}

std::vector<std::string> daysOf(const ClassRecords& records) {
    std::set<std::string, std::greater<>> days;
    for (const Attempt& a : records.attempts)
        days.insert(dayOf(a.time));
    return {days.begin(), days.end()};
}

std::vector<std::string> classesOf(const ClassRecords& records) {
    std::set<std::string> classes;
    for (const Pupil& p : records.pupils)
        if (!p.className.empty())
            classes.insert(p.className);
    std::vector<std::string> out(classes.begin(), classes.end());
    std::sort(out.begin(), out.end(),
              [](const std::string& a, const std::string& b) { return nameKey(a) < nameKey(b); });
    return out;
}

void sortRows(std::vector<Row>& rows, SortBy by, Direction direction) {
    struct Keyed {
        std::string name, game;
        const Row* row;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(rows.size());
    for (const Row& r : rows)
        keyed.push_back({nameKey(r.name), nameKey(r.game), &r});
    auto tie = [](const Keyed& k) { return std::tie(k.name, k.game, k.row->login); };
    auto column = [by](const Keyed& a, const Keyed& b) {
        switch (by) {
        case SortBy::Name:
            return a.name < b.name;
        case SortBy::Game:
            return a.game < b.game;
        case SortBy::Mark:
            return std::tie(a.row->best, a.row->last) < std::tie(b.row->best, b.row->last);
        case SortBy::Time:
            return a.row->latest < b.row->latest;
        }
        return false;
    };
    const bool down = direction == Direction::Descending;
    std::stable_sort(keyed.begin(), keyed.end(), [&](const Keyed& a, const Keyed& b) {
        if (column(a, b))
            return !down;
        if (column(b, a))
            return down;
        return tie(a) < tie(b);
    });
    std::vector<Row> sorted;
    sorted.reserve(rows.size());
    for (const Keyed& k : keyed)
        sorted.push_back(*k.row);
    rows = std::move(sorted);
}

} // namespace taleplay::classresults
