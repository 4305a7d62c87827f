#pragma once
// The small form in which an author retypes a component: its text, right
// answers, hint, file name or colour, with the keys it will write shown as
// they are typed. A picture's file can be chosen anywhere: it is copied
// into the game's folder under a safe name.
#include "app/edit_component.h"

#include <QDialog>
#include <string>
#include <vector>

class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace taleplay {

class EditForm final : public QDialog {
    Q_OBJECT
  public:
    EditForm(QWidget* parent, const editing::Component& component,
             std::vector<editing::Field> fields, std::string dataFolder);

    // The fields with what is typed in them now.
    std::vector<editing::Field> fields() const;
    // The keys the form will write, as shown.
    QString preview() const;
    // Copies `file` (native) into the game and puts its name in the field
    // of the picture file; what went wrong, or "".
    QString usePicture(const std::string& file);

  private:
    void choosePicture();
    void showKeys();

    std::vector<editing::Field> fields_;
    std::string dataFolder_;
    std::vector<QWidget*> editors_; // a QLineEdit or a QPlainTextEdit for each field
    QLabel* keys_;
    QLabel* problem_;
};

// Shows the form; true, with `fields` changed, when the author confirmed it.
// Not shown at all while modal windows are observed (the playtest driver).
bool runEditForm(QWidget* parent, const editing::Component& component,
                 std::vector<editing::Field>& fields, const std::string& dataFolder);

} // namespace taleplay
