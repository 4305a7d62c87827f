#pragma once
// The class's results of a results folder or a school's database in a
// window: the table, filtered by game, day and (in a database) class, sorted
// by any column, each mark on its colour and in words, and saved as CSV or
// as a printable page. Everything is in reach of the keyboard, and a screen
// reader hears every control by name.
#include "app/phrase.h"
#include "classresults/source.h"
#include "classresults/table.h"
#include "classresults/table_output.h"

#include <QDialog>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QComboBox;
class QLabel;
class QPushButton;
class QStandardItemModel;
class QTableView;

namespace taleplay::launch {

// Why `source` (a native folder, or a database connection) cannot be shown
// as a class's results; empty when it can. A database is not connected to
// yet: the window says what it finds.
Phrase classResultsProblem(const std::string& source);

class ClassResultsWindow final : public QDialog {
    Q_OBJECT
  public:
    // Asks where to save a file: the dialog's title, its file-type filter
    // and the name it suggests; nothing when the person cancels. Native path.
    using FilePicker = std::function<std::optional<std::string>(
        QWidget* parent, const QString& title, const QString& filter, const QString& suggested)>;

    explicit ClassResultsWindow(std::string source, QWidget* parent = nullptr);

    // The save dialog stands behind this, so tests can answer it.
    void setFilePicker(FilePicker picker) { picker_ = std::move(picker); }

    enum class Format { Csv, Html };
    // Saves the table as shown; false, saying why in the note, when the file
    // cannot be written.
    bool save(Format format, const std::string& path);

    // Reads the folder or the database again.
    void reload();

    // The rows as shown, in their order.
    const std::vector<classresults::Row>& rows() const { return rows_; }
    QTableView& table() const { return *table_; }
    QComboBox& gameFilter() const { return *game_; }
    QComboBox& dayFilter() const { return *day_; }
    // Shown only where the lists name classes (a database's).
    QComboBox& classFilter() const { return *class_; }
    QComboBox& sortChoice() const { return *sort_; }
    QPushButton& csvButton() const { return *csv_; }
    QPushButton& htmlButton() const { return *html_; }
    // What the window says about the folder or the database (problems,
    // notices); empty when nothing.
    QString note() const;

  private:
    void fillFilters();
    void refresh();
    void sortByColumn(int column, Qt::SortOrder order);
    void askAndSave(Format format);

    std::string source_;
    classresults::Words words_;
    classresults::SourceReading reading_;
    std::vector<classresults::Row> rows_;
    classresults::SortBy sortBy_ = classresults::SortBy::Name;
    classresults::Direction direction_ = classresults::Direction::Ascending;
    FilePicker picker_;
    QLabel* note_;
    QComboBox* game_;
    QComboBox* day_;
    QLabel* classLabel_;
    QComboBox* class_;
    QComboBox* sort_;
    QTableView* table_;
    QStandardItemModel* model_;
    QPushButton* csv_;
    QPushButton* html_;
};

} // namespace taleplay::launch
