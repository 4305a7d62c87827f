// The editor's documents, its undo steps and the save.
#include "app/edit_session.h"

#include "core/errors.h"
#include "core/paths.h"
#include "game/game.h"
#include "platform/qtext.h"

#include <QStringList>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>

namespace taleplay::editing {

// One step: the bytes of every document it changed, before and after.
class Step final : public QUndoCommand {
  public:
    Step(EditSession& session, const QString& label, std::map<std::string, std::string> before,
         std::map<std::string, std::string> after, std::function<void(bool)> screen)
        : QUndoCommand(label), session_(session), before_(std::move(before)),
          after_(std::move(after)), screen_(std::move(screen)) {}

    void redo() override {
        session_.restore(after_);
        // Made on the screen already when it was pushed.
        if (!first_ && screen_)
            screen_(true);
        first_ = false;
    }
    void undo() override {
        session_.restore(before_);
        if (screen_)
            screen_(false);
    }

  private:
    EditSession& session_;
    std::map<std::string, std::string> before_, after_;
    std::function<void(bool)> screen_;
    bool first_ = true;
};

namespace {

constexpr std::size_t kLargestFile = 64u << 20;

std::string bytesOf(const std::string& fsPath, const std::string& composed, bool& existed) {
    existed = paths::fileExists(composed);
    if (!existed)
        return {};
    std::vector<unsigned char> bytes;
    files::readWholeFile(fsPath, composed, bytes, kLargestFile);
    return std::string(bytes.begin(), bytes.end());
}

bool plain(const std::string& bytes) {
    return std::none_of(bytes.begin(), bytes.end(),
                        [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

} // namespace

EditSession::EditSession(Game& game, QObject* parent) : QObject(parent), game_(game) {}

files::TextEncoding EditSession::gameEncoding() const {
    // A file of plain Latin letters takes what the game's other files are
    // written in, so a game stays in one encoding.
    static constexpr std::array<const char*, 8> kFiles{
        "allbackpictures.txt", "allbacktexts.txt", "alltextwindows.txt", "allbuttons.txt",
        "victorypictures.txt", "victorytexts.txt", "lostpictures.txt",   "losttexts.txt"};
    for (const char* name : kFiles) {
        const std::string composed = game_.state.dataFolder + name;
        if (!paths::fileExists(composed))
            continue;
        bool existed = false;
        std::string bytes;
        try {
            bytes = bytesOf(paths::resolve(composed), composed, existed);
        } catch (const std::exception&) {
            continue; // said when that file itself is edited
        }
        if (files::textEncoding(bytes) != files::TextEncoding::Windows1251)
            return files::TextEncoding::Utf8;
    }
    return files::TextEncoding::Windows1251;
}

DescriptionDocument& EditSession::document(const std::string& composed) {
    auto it = held_.find(composed);
    if (it != held_.end())
        return it->second.doc;
    const std::string fsPath = paths::resolve(composed);
    bool existed = false;
    std::string bytes = bytesOf(fsPath, composed, existed);
    DescriptionDocument doc(bytes, gameEncoding());
    it = held_
             .emplace(composed,
                      Held{fsPath, std::move(bytes), existed, existed, false, std::move(doc)})
             .first;
    return it->second.doc;
}

std::map<std::string, std::string> EditSession::snapshot() const {
    std::map<std::string, std::string> out;
    for (const auto& [path, held] : held_)
        out.emplace(path, held.doc.bytes());
    return out;
}

void EditSession::restore(const std::map<std::string, std::string>& bytes) {
    for (const auto& [path, content] : bytes) {
        held_.at(path).doc.setBytes(content);
    }
}

std::optional<QString> EditSession::change(const QString& label, const std::function<void()>& edit,
                                           std::function<void(bool)> screen) {
    const std::map<std::string, std::string> before = snapshot();
    auto takeBack = [&] {
        std::map<std::string, std::string> back;
        for (const auto& [path, held] : held_)
            back.emplace(path, before.count(path) ? before.at(path) : held.onDisk);
        restore(back);
    };
    try {
        edit();
    } catch (const Refused& r) {
        takeBack();
        return r.why;
    } catch (const std::exception& e) {
        // A file that cannot be read (no permission, far too large).
        takeBack();
        return toQString(e.what());
    }
    std::map<std::string, std::string> was, now;
    for (const auto& [path, held] : held_) {
        // A document read by the edit itself was as on disk before it.
        const std::string& old = before.count(path) ? before.at(path) : held.onDisk;
        if (old != held.doc.bytes()) {
            was.emplace(path, old);
            now.emplace(path, held.doc.bytes());
        }
    }
    if (now.empty())
        return std::nullopt;
    undo_.push(new Step(*this, label, std::move(was), std::move(now), std::move(screen)));
    return std::nullopt;
}

bool EditSession::unsaved() const {
    return std::any_of(held_.begin(), held_.end(),
                       [](const auto& h) { return h.second.doc.bytes() != h.second.onDisk; });
}

EditSession::Saved EditSession::save() {
    Saved saved;
    std::vector<std::pair<std::string, std::string>> writes;
    std::vector<std::string> composed;
    for (const auto& [path, held] : held_) {
        if (held.doc.bytes() == held.onDisk)
            continue;
        // The player decides a file's encoding from all its bytes: what was
        // written must leave it reading the file as before.
        const files::TextEncoding now = files::textEncoding(held.doc.bytes());
        const bool same = plain(held.doc.bytes()) || now == held.doc.encoding() ||
                          (held.doc.encoding() != files::TextEncoding::Windows1251 &&
                           plain(held.onDisk) && now != files::TextEncoding::Windows1251);
        if (!same) {
            saved.refused =
                tr("%1 would no longer be read as %2; nothing was saved.")
                    .arg(QString::fromStdString(paths::shown(paths::lastComponent(path))),
                         QString::fromUtf8(files::encodingName(held.doc.encoding())));
            return saved;
        }
        writes.emplace_back(held.fsPath, held.doc.bytes());
        composed.push_back(path);
    }
    if (writes.empty())
        return saved;
    // Another editor may have changed or removed a file since it was read
    // here: writing now would silently throw its change away. The first
    // save says so and writes nothing; the next writes over it on purpose.
    QStringList changedOutside;
    for (const std::string& path : composed) {
        Held& held = held_.at(path);
        bool existed = false;
        std::string bytes;
        try {
            bytes = bytesOf(held.fsPath, path, existed);
        } catch (const std::exception&) {
            continue; // the write itself says what is wrong
        }
        if (!held.changedOutside && bytes == held.onDisk && existed == held.existed)
            continue;
        held.changedOutside = false;
        held.onDisk = std::move(bytes);
        held.existed = existed;
        changedOutside << QString::fromStdString(paths::shown(paths::lastComponent(path)));
    }
    if (!changedOutside.isEmpty()) {
        saved.refused = tr("%1 changed on disk after it was read here; nothing was saved. Save "
                           "again to write the edits over that change.")
                            .arg(changedOutside.join(QStringLiteral(", ")));
        return saved;
    }
    emit aboutToWrite(writes);
    for (std::size_t i = 0; i < writes.size(); ++i) {
        Held& held = held_.at(composed[i]);
        try {
            // Adding to a file the game lacked made it; undoing that takes
            // it away again, so the folder is as it was.
            if (!held.existedAtStart && writes[i].second.empty()) {
                if (std::remove(writes[i].first.c_str()) != 0 && errno != ENOENT)
                    throw InOutError(files::writeErrorMessage(errno));
            } else {
                files::overwriteFile(writes[i].first, writes[i].second);
            }
        } catch (const std::exception& e) {
            saved.refused =
                tr("%1 could not be written: %2")
                    .arg(QString::fromStdString(paths::shown(paths::lastComponent(composed[i]))),
                         toQString(e.what()));
            return saved;
        }
        held.onDisk = writes[i].second;
        held.existed = held.existedAtStart || !writes[i].second.empty();
        held.changedOutside = false;
        saved.files.push_back(composed[i]);
    }
    return saved;
}

bool EditSession::reloadChangedFiles() {
    bool any = false;
    for (auto& [path, held] : held_) {
        bool existed = false;
        std::string bytes;
        try {
            bytes = bytesOf(held.fsPath, path, existed);
        } catch (const std::exception&) {
            continue;
        }
        if (bytes == held.onDisk && existed == held.existed)
            continue;
        any = true;
        const bool unsavedHere = held.doc.bytes() != held.onDisk;
        held.onDisk = bytes;
        held.existed = existed;
        if (unsavedHere)
            held.changedOutside = true;
        else
            held.doc = DescriptionDocument(bytes, gameEncoding());
    }
    if (any)
        undo_.clear();
    return any;
}

} // namespace taleplay::editing
