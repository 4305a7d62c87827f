// The game chooser: a list to pick from with the keyboard or the mouse.
#include "app/game_chooser.h"

#include "app/class_results_window.h"
#include "app/language.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

namespace taleplay::launch {
namespace {

constexpr int kEntryRole = Qt::UserRole;

QString native(const std::string& path) {
    return QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
}

std::optional<std::string> askForFolder(QWidget* parent) {
    const QString folder =
        QFileDialog::getExistingDirectory(parent, GameChooser::tr("Open folder"));
    if (folder.isEmpty())
        return std::nullopt;
    return QFile::encodeName(folder).toStdString();
}

void showClassResults(const std::string& folder, QWidget* parent) {
    ClassResultsWindow window(folder, parent);
    window.exec();
}

// The form of "New game…": where, under which name, in which encoding.
std::optional<GameChooser::NewGameRequest>
askForNewGame(QWidget* parent, const GameChooser::NewGameRequest& suggested) {
    QDialog form(parent);
    form.setWindowTitle(GameChooser::tr("New game — Taleplay"));
    auto* folder = new QLineEdit(native(suggested.folder), &form);
    auto* browse = new QPushButton(GameChooser::tr("Choose…"), &form);
    QObject::connect(browse, &QPushButton::clicked, &form, [&] {
        const QString chosen = QFileDialog::getExistingDirectory(
            &form, GameChooser::tr("Folder for the new game"), folder->text());
        if (!chosen.isEmpty())
            folder->setText(chosen);
    });
    auto* name = new QLineEdit(QString::fromStdString(suggested.name), &form);
    auto* encoding = new QComboBox(&form);
    encoding->addItem(GameChooser::tr("UTF-8, as Linux editors save"));
    encoding->addItem(GameChooser::tr("Windows-1251, for the Windows player too"));
    encoding->setCurrentIndex(suggested.encoding == TextEncodingAsked::Utf8 ? 0 : 1);
    auto* where = new QHBoxLayout;
    where->addWidget(folder);
    where->addWidget(browse);
    auto* fields = new QFormLayout;
    fields->addRow(GameChooser::tr("&Folder:"), where);
    fields->addRow(GameChooser::tr("&Name:"), name);
    fields->addRow(GameChooser::tr("&Encoding:"), encoding);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &form);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &form, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &form, &QDialog::reject);
    auto* layout = new QVBoxLayout(&form);
    layout->addWidget(new QLabel(GameChooser::tr("A new game is made from the school quiz, to "
                                                 "be changed into your own."),
                                 &form));
    layout->addLayout(fields);
    layout->addWidget(buttons);
    if (form.exec() != QDialog::Accepted)
        return std::nullopt;
    return GameChooser::NewGameRequest{QFile::encodeName(folder->text()).toStdString(),
                                       name->text().toStdString(),
                                       encoding->currentIndex() == 0
                                           ? TextEncodingAsked::Utf8
                                           : TextEncodingAsked::Windows1251};
}

} // namespace

GameChooser::GameChooser(std::string folder, std::vector<GameLocation> here,
                         std::vector<GameLocation> recent, QWidget* parent)
    : QDialog(parent), folder_(std::move(folder)), here_(std::move(here)), picker_(askForFolder),
      resultsOpener_(showClassResults) {
    for (GameLocation& g : recent) {
        const bool listed = std::find(here_.begin(), here_.end(), g) != here_.end();
        if (!listed && QFileInfo(native(g.dataFolder())).isDir())
            recent_.push_back(std::move(g));
    }

    setWindowTitle(tr("Choose a game — Taleplay"));
    auto* heading = new QLabel(tr("Choose a game to play:"), this);
    list_ = new QListWidget(this);
    list_->setWordWrap(true);
    heading->setBuddy(list_);
    note_ = new QLabel(this);
    note_->setWordWrap(true);
    note_->hide();
    openFolder_ = new QPushButton(tr("&Open folder…"), this);
    openFolder_->setAutoDefault(false);
    play_ = new QPushButton(tr("&Play"), this);
    play_->setDefault(true);
    auto* close = new QPushButton(tr("&Close"), this);
    close->setAutoDefault(false);
    // For the teacher, beside the games.
    classResults_ = new QPushButton(tr("Class &results…"), this);
    classResults_->setAutoDefault(false);

    auto* buttons = buttons_ = new QHBoxLayout;
    buttons->addWidget(openFolder_);
    buttons->addWidget(classResults_);
    buttons->addStretch();
    buttons->addWidget(play_);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addWidget(list_);
    layout->addWidget(note_);
    layout->addLayout(buttons);
    resize(560, 420);

    // Return reaches the default button, Play; a double click plays too.
    connect(play_, &QPushButton::clicked, this, &GameChooser::play);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(openFolder_, &QPushButton::clicked, this, &GameChooser::openFolder);
    connect(classResults_, &QPushButton::clicked, this, &GameChooser::openClassResults);
    connect(list_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        if (gameOf(item))
            play();
    });
    connect(list_, &QListWidget::currentItemChanged, this, &GameChooser::updatePlayButton);

    fill();
    list_->setFocus();
}

void GameChooser::fill() {
    list_->clear();
    entries_.clear();
    if (!here_.empty()) {
        addHeading(tr("Games in %1").arg(native(folder_)));
        for (const GameLocation& g : here_)
            addGame(g, native(g.name));
    }
    if (!recent_.empty()) {
        addHeading(tr("Played lately"));
        for (const GameLocation& g : recent_)
            addGame(g, QStringLiteral("%1    (%2)").arg(native(g.name), native(g.folder)));
    }
    for (const auto& [heading, games] : more_) {
        bool headed = false;
        for (const GameLocation& g : games) {
            if (std::find(entries_.begin(), entries_.end(), g) != entries_.end())
                continue;
            if (!std::exchange(headed, true))
                addHeading(heading);
            addGame(g, QStringLiteral("%1    (%2)").arg(native(g.name), native(g.folder)));
        }
    }
    if (entries_.empty()) {
        addHeading(tr("No game here yet. Open a game's folder (data_NAME) or the "
                      "folder that holds it."));
    }
    for (int row = 0; row < list_->count(); ++row) {
        if (gameOf(list_->item(row))) {
            list_->setCurrentRow(row);
            break;
        }
    }
    updatePlayButton();
    // With nothing to play, Return opens a folder instead.
    play_->setDefault(!entries_.empty());
    openFolder_->setDefault(entries_.empty());
}

void GameChooser::addHeading(const QString& text) {
    auto* item = new QListWidgetItem(text, list_);
    // Not selectable and not enabled, so the arrow keys pass over it; in the
    // text's own colour all the same, as it is to be read.
    item->setFlags(Qt::NoItemFlags);
    item->setForeground(palette().windowText());
    QFont font = item->font();
    font.setBold(true);
    item->setFont(font);
}

void GameChooser::addGame(const GameLocation& game, const QString& text) {
    auto* item = new QListWidgetItem(text, list_);
    item->setData(kEntryRole, static_cast<int>(entries_.size()));
    item->setToolTip(native(game.dataFolder()));
    entries_.push_back(game);
}

const GameLocation* GameChooser::gameOf(const QListWidgetItem* item) const {
    if (!item)
        return nullptr;
    bool ok = false;
    const int index = item->data(kEntryRole).toInt(&ok);
    if (!ok || index < 0 || index >= static_cast<int>(entries_.size()))
        return nullptr;
    return &entries_[static_cast<std::size_t>(index)];
}

void GameChooser::updatePlayButton() {
    play_->setEnabled(gameOf(list_->currentItem()) != nullptr);
}

void GameChooser::play() {
    const GameLocation* game = gameOf(list_->currentItem());
    if (!game)
        return;
    chosen_ = *game;
    accept();
}

void GameChooser::openFolder() {
    const std::optional<std::string> folder = picker_ ? picker_(this) : std::nullopt;
    if (!folder)
        return;
    GameSearch search = findGame(*folder, "/");
    if (!search.problem.empty()) {
        note_->setText(native(translate(search.problem)));
        note_->show();
        return;
    }
    if (search.games.size() == 1) {
        chosen_ = search.games.front();
        accept();
        return;
    }
    folder_ = search.games.front().folder;
    here_ = std::move(search.games);
    note_->setText(tr("%1 holds several games: choose one.").arg(native(folder_)));
    note_->show();
    fill();
    list_->setFocus();
}

void GameChooser::openClassResults() {
    const std::optional<std::string> folder = picker_ ? picker_(this) : std::nullopt;
    if (folder && resultsOpener_)
        resultsOpener_(*folder, this);
}

void GameChooser::addGames(const QString& heading, std::vector<GameLocation> games) {
    more_.emplace_back(heading, std::move(games));
    fill();
}

void GameChooser::setNote(const QString& text) {
    note_->setText(text);
    note_->setVisible(!text.isEmpty());
}

void GameChooser::offerNewGame(NewGameRequest suggested, std::string templateFolder) {
    suggested_ = std::move(suggested);
    template_ = std::move(templateFolder);
    if (newGame_)
        return;
    newGame_ = new QPushButton(tr("&New game…"), this);
    newGame_->setAutoDefault(false);
    buttons_->insertWidget(1, newGame_);
    connect(newGame_, &QPushButton::clicked, this, &GameChooser::makeGame);
}

void GameChooser::makeGame() {
    const std::optional<NewGameRequest> asked =
        newGameAsker_ ? newGameAsker_(this, suggested_) : askForNewGame(this, suggested_);
    if (!asked)
        return;
    const NewGame made = makeNewGame(asked->folder, asked->name, asked->encoding, template_);
    if (!made.problem.empty()) {
        setNote(native(translate(made.problem)));
        return;
    }
    chosen_ = made.game;
    accept();
}

QString GameChooser::note() const {
    return note_->isHidden() ? QString() : note_->text();
}

} // namespace taleplay::launch
