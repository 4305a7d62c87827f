// The class-results window: the table of a results folder, for the teacher.
#include "app/class_results_window.h"

#include "app/class_results_text.h"
#include "app/language.h"
#include "core/errors.h"
#include "core/files.h"
#include "core/results.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFont>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QSignalBlocker>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

namespace taleplay::launch {
namespace {

using classresults::Direction;
using classresults::Row;
using classresults::SortBy;

QString native(const std::string& path) {
    return QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
}

QString utf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::optional<std::string> askForFile(QWidget* parent, const QString& title, const QString& filter,
                                      const QString& suggested) {
    const QString file = QFileDialog::getSaveFileName(parent, title, suggested, filter);
    if (file.isEmpty())
        return std::nullopt;
    return QFile::encodeName(file).toStdString();
}

// The columns, as the table's words list them.
enum Column { kName, kLogin, kGame, kBest, kLast, kAttempts, kFirst, kLatest, kColumns };

SortBy sortOf(int column) {
    switch (column) {
    case kGame:
        return SortBy::Game;
    case kBest:
    case kLast:
    case kAttempts:
        return SortBy::Mark;
    case kFirst:
    case kLatest:
        return SortBy::Time;
    default:
        return SortBy::Name;
    }
}

int columnOf(SortBy by) {
    switch (by) {
    case SortBy::Game:
        return kGame;
    case SortBy::Mark:
        return kBest;
    case SortBy::Time:
        return kLatest;
    case SortBy::Name:
        break;
    }
    return kName;
}

// Colour says it at a glance, and the cell's text says it too, for whoever
// cannot tell the colours apart.
void paintMark(QStandardItem& item, const Row& row, int mark) {
    QFont font = item.font();
    if (!row.finished()) {
        item.setForeground(QColor(0x59, 0x59, 0x59));
        item.setBackground(QColor(0xED, 0xED, 0xED));
        font.setItalic(true);
    } else if (mark == 5) {
        item.setForeground(QColor(0x00, 0x61, 0x00));
        item.setBackground(QColor(0xC6, 0xEF, 0xCE));
        font.setBold(true);
    } else {
        item.setForeground(QColor(0x9C, 0x00, 0x06));
        item.setBackground(QColor(0xFF, 0xC7, 0xCE));
        font.setBold(true);
    }
    item.setFont(font);
}

} // namespace

Phrase classResultsProblem(const std::string& source) {
    return sourceProblem(classresults::checkSource(source), source);
}

ClassResultsWindow::ClassResultsWindow(std::string source, QWidget* parent)
    : QDialog(parent), source_(std::move(source)), words_(tableWords()), picker_(askForFile) {
    setWindowTitle(tr("%1 — %2 — Taleplay").arg(utf8(words_.title), native(source_)));
    note_ = new QLabel(this);
    note_->setWordWrap(true);
    note_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    note_->hide();

    game_ = new QComboBox(this);
    auto* gameLabel = new QLabel(tr("&Game:"), this);
    gameLabel->setBuddy(game_);
    day_ = new QComboBox(this);
    auto* dayLabel = new QLabel(tr("&Day:"), this);
    dayLabel->setBuddy(day_);
    class_ = new QComboBox(this);
    classLabel_ = new QLabel(tr("C&lass:"), this);
    classLabel_->setBuddy(class_);
    sort_ = new QComboBox(this);
    auto* sortLabel = new QLabel(tr("&Sort by:"), this);
    sortLabel->setBuddy(sort_);
    sort_->addItem(utf8(words_.name), static_cast<int>(SortBy::Name));
    sort_->addItem(utf8(words_.game), static_cast<int>(SortBy::Game));
    sort_->addItem(tr("Mark, best first"), static_cast<int>(SortBy::Mark));
    sort_->addItem(tr("Time, latest first"), static_cast<int>(SortBy::Time));

    model_ = new QStandardItemModel(0, kColumns, this);
    model_->setHorizontalHeaderLabels({utf8(words_.name), utf8(words_.login), utf8(words_.game),
                                       utf8(words_.best), utf8(words_.last), utf8(words_.attempts),
                                       utf8(words_.first), utf8(words_.latest)});
    table_ = new QTableView(this);
    table_->setModel(model_);
    table_->setAccessibleName(utf8(words_.title));
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    // Tab leaves the table for the buttons; the arrow keys move inside it.
    table_->setTabKeyNavigation(false);
    table_->verticalHeader()->hide();
    table_->setAlternatingRowColors(false);
    QHeaderView* header = table_->horizontalHeader();
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(true);
    header->setStretchLastSection(true);
    header->setSortIndicator(kName, Qt::AscendingOrder);

    auto* reloadButton = new QPushButton(tr("&Reload"), this);
    reloadButton->setAutoDefault(false);
    csv_ = new QPushButton(tr("Save as &CSV…"), this);
    csv_->setAutoDefault(false);
    html_ = new QPushButton(tr("Save as &HTML…"), this);
    html_->setAutoDefault(false);
    auto* close = new QPushButton(tr("&Close"), this);
    close->setAutoDefault(false);

    auto* filters = new QHBoxLayout;
    filters->addWidget(gameLabel);
    filters->addWidget(game_, 2);
    filters->addSpacing(12);
    filters->addWidget(dayLabel);
    filters->addWidget(day_, 1);
    filters->addSpacing(12);
    filters->addWidget(classLabel_);
    filters->addWidget(class_, 1);
    filters->addSpacing(12);
    filters->addWidget(sortLabel);
    filters->addWidget(sort_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(reloadButton);
    buttons->addStretch();
    buttons->addWidget(csv_);
    buttons->addWidget(html_);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(note_);
    layout->addLayout(filters);
    layout->addWidget(table_, 1);
    layout->addLayout(buttons);
    resize(900, 560);

    connect(game_, &QComboBox::currentIndexChanged, this, &ClassResultsWindow::refresh);
    connect(day_, &QComboBox::currentIndexChanged, this, &ClassResultsWindow::refresh);
    connect(class_, &QComboBox::currentIndexChanged, this, &ClassResultsWindow::refresh);
    connect(sort_, &QComboBox::currentIndexChanged, this, [this] {
        sortBy_ = static_cast<SortBy>(sort_->currentData().toInt());
        // Names and games from A, marks from the best, times from the latest.
        direction_ = sortBy_ == SortBy::Name || sortBy_ == SortBy::Game ? Direction::Ascending
                                                                        : Direction::Descending;
        refresh();
    });
    connect(header, &QHeaderView::sortIndicatorChanged, this, &ClassResultsWindow::sortByColumn);
    connect(reloadButton, &QPushButton::clicked, this, &ClassResultsWindow::reload);
    connect(new QShortcut(QKeySequence::Refresh, this), &QShortcut::activated, this,
            &ClassResultsWindow::reload);
    connect(csv_, &QPushButton::clicked, this, [this] { askAndSave(Format::Csv); });
    connect(html_, &QPushButton::clicked, this, [this] { askAndSave(Format::Html); });
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    reload();
    table_->setFocus();
}

void ClassResultsWindow::reload() {
    reading_ = classresults::readSource(source_);
    QStringList notes;
    if (const Phrase problem = sourceProblem(reading_, source_); !problem.empty())
        notes << native(translate(problem));
    for (const classresults::Notice& n : reading_.records.notices)
        notes << native(translate(noticePhrase(n)));
    note_->setText(notes.join(QLatin1Char('\n')));
    note_->setVisible(!notes.isEmpty());
    fillFilters();
    refresh();
}

void ClassResultsWindow::fillFilters() {
    // The choices made stay where they still exist.
    const QString game = game_->currentData().toString();
    const QString day = day_->currentData().toString();
    const QString group = class_->currentData().toString();
    const QSignalBlocker blockGame(game_), blockDay(day_), blockClass(class_);
    game_->clear();
    game_->addItem(tr("All games"), QString());
    for (const std::string& g : classresults::gamesOf(reading_.records))
        game_->addItem(utf8(g), utf8(g));
    day_->clear();
    day_->addItem(tr("All days"), QString());
    for (const std::string& d : classresults::daysOf(reading_.records))
        day_->addItem(utf8(d), utf8(d));
    class_->clear();
    class_->addItem(tr("All classes"), QString());
    const std::vector<std::string> classes = classresults::classesOf(reading_.records);
    for (const std::string& c : classes)
        class_->addItem(utf8(c), utf8(c));
    classLabel_->setVisible(!classes.empty());
    class_->setVisible(!classes.empty());
    game_->setCurrentIndex(std::max(0, game_->findData(game)));
    day_->setCurrentIndex(std::max(0, day_->findData(day)));
    class_->setCurrentIndex(std::max(0, class_->findData(group)));
}

void ClassResultsWindow::refresh() {
    const classresults::Filter filter{game_->currentData().toString().toStdString(),
                                      day_->currentData().toString().toStdString(),
                                      class_->currentData().toString().toStdString()};
    rows_ = classresults::buildTable(reading_.records, filter);
    classresults::sortRows(rows_, sortBy_, direction_);
    {
        const QSignalBlocker block(table_->horizontalHeader());
        table_->horizontalHeader()->setSortIndicator(
            columnOf(sortBy_),
            direction_ == Direction::Ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
    }
    model_->setRowCount(0);
    for (const Row& r : rows_) {
        QList<QStandardItem*> items;
        items << new QStandardItem(utf8(r.name)) << new QStandardItem(utf8(r.login))
              << new QStandardItem(utf8(r.game))
              << new QStandardItem(utf8(classresults::markText(r.best, words_)))
              << new QStandardItem(r.finished() ? utf8(classresults::markText(r.last, words_))
                                                : QString())
              << new QStandardItem(QString::number(r.attempts))
              << new QStandardItem(utf8(classresults::shownTime(r.first)))
              << new QStandardItem(utf8(classresults::shownTime(r.latest)));
        paintMark(*items[kBest], r, r.best);
        if (r.finished())
            paintMark(*items[kLast], r, r.last);
        model_->appendRow(items);
    }
    table_->resizeColumnsToContents();
    csv_->setEnabled(!rows_.empty());
    html_->setEnabled(!rows_.empty());
}

void ClassResultsWindow::sortByColumn(int column, Qt::SortOrder order) {
    sortBy_ = sortOf(column);
    direction_ = order == Qt::AscendingOrder ? Direction::Ascending : Direction::Descending;
    {
        const QSignalBlocker block(sort_);
        sort_->setCurrentIndex(std::max(0, sort_->findData(static_cast<int>(sortBy_))));
    }
    refresh();
}

bool ClassResultsWindow::save(Format format, const std::string& path) {
    std::string content;
    if (format == Format::Csv) {
        content = classresults::asCsv(rows_, words_);
    } else {
        std::string caption = native(source_).toStdString();
        for (const QComboBox* filter : {game_, day_, class_})
            if (!filter->currentData().toString().isEmpty())
                caption += " — " + filter->currentText().toStdString();
        content = classresults::asHtml(rows_, words_, caption);
    }
    try {
        files::overwriteFile(path, content);
    } catch (const TaleError& e) {
        note_->setText(tr("%1 cannot be saved: %2").arg(native(path), utf8(e.what())));
        note_->show();
        return false;
    }
    return true;
}

void ClassResultsWindow::askAndSave(Format format) {
    const bool csv = format == Format::Csv;
    // A database's connection makes no file name.
    const QString base = results::isDatabase(source_) ? QStringLiteral("results")
                                                      : QDir(native(source_)).dirName();
    const QString suggested = QDir::home().filePath(base + (csv ? ".csv" : ".html"));
    const std::optional<std::string> path =
        picker_ ? picker_(this, csv ? tr("Save as CSV") : tr("Save as HTML"),
                          csv ? tr("CSV files (*.csv)") : tr("Web pages (*.html *.htm)"), suggested)
                : std::nullopt;
    if (path)
        save(format, *path);
}

QString ClassResultsWindow::note() const {
    return note_->isHidden() ? QString() : note_->text();
}

} // namespace taleplay::launch
