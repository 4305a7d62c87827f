// The edit form: a field for each value, the keys it writes, a file chooser.
#include "app/edit_form.h"

#include "app/edit_session.h"
#include "platform/system.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace taleplay {

using editing::Field;

EditForm::EditForm(QWidget* parent, const editing::Component& component, std::vector<Field> fields,
                   std::string dataFolder)
    : QDialog(parent), fields_(std::move(fields)), dataFolder_(std::move(dataFolder)) {
    setWindowTitle(tr("Edit %1 — Taleplay").arg(QString::fromStdString(component.target)));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    layout->addLayout(form);
    for (const Field& f : fields_) {
        QWidget* editor = nullptr;
        if (f.shape == Field::Shape::Lines) {
            QStringList lines;
            for (const std::string& v : f.values)
                lines << QString::fromStdString(v);
            auto* text = new QPlainTextEdit(lines.join(QLatin1Char('\n')), this);
            connect(text, &QPlainTextEdit::textChanged, this, &EditForm::showKeys);
            editor = text;
        } else {
            auto* line = new QLineEdit(QString::fromStdString(f.values.front()), this);
            connect(line, &QLineEdit::textChanged, this, &EditForm::showKeys);
            editor = line;
        }
        editors_.push_back(editor);
        if (f.key.ends_with("*name*")) {
            auto* row = new QWidget(this);
            auto* rowLayout = new QHBoxLayout(row);
            rowLayout->setContentsMargins(0, 0, 0, 0);
            rowLayout->addWidget(editor, 1);
            auto* choose = new QPushButton(tr("Choose…"), row);
            connect(choose, &QPushButton::clicked, this, &EditForm::choosePicture);
            rowLayout->addWidget(choose);
            form->addRow(f.label, row);
        } else {
            form->addRow(f.label, editor);
        }
    }
    if (component.kind == editing::Kind::Button) {
        auto* rule = new QLabel(
            tr("What a click does is written in allbuttons.txt as a click rule: "
               "*%1*click*target#condition^target&command+target=command~ . A button added here "
               "has one to fill in, without its first \"*\", so that it does nothing until it is "
               "done.")
                .arg(QString::fromStdString(component.target)),
            this);
        rule->setWordWrap(true);
        layout->addWidget(rule);
    }
    auto* heading = new QLabel(tr("Keys it writes:"), this);
    layout->addWidget(heading);
    keys_ = new QLabel(this);
    keys_->setObjectName(QStringLiteral("editFormKeys"));
    keys_->setTextFormat(Qt::PlainText);
    keys_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QFont mono(QStringLiteral("Liberation Mono"));
    mono.setStyleHint(QFont::Monospace);
    keys_->setFont(mono);
    heading->setBuddy(keys_);
    layout->addWidget(keys_);
    problem_ = new QLabel(this);
    problem_->setWordWrap(true);
    layout->addWidget(problem_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    showKeys();
}

std::vector<Field> EditForm::fields() const {
    std::vector<Field> out = fields_;
    for (std::size_t i = 0; i < out.size(); ++i) {
        if (auto* text = qobject_cast<QPlainTextEdit*>(editors_[i])) {
            out[i].values.clear();
            for (const QString& line : text->toPlainText().split(QLatin1Char('\n')))
                out[i].values.push_back(line.toStdString());
            while (!out[i].values.empty() && out[i].values.back().empty())
                out[i].values.pop_back();
        } else if (auto* line = qobject_cast<QLineEdit*>(editors_[i])) {
            out[i].values = {line->text().toStdString()};
        }
    }
    return out;
}

QString EditForm::preview() const {
    return keys_->text();
}

void EditForm::showKeys() {
    keys_->setText(editing::linesOf(fields()).join(QLatin1Char('\n')));
}

QString EditForm::usePicture(const std::string& file) {
    try {
        const std::string name = editing::copyIntoGame(dataFolder_, file);
        for (std::size_t i = 0; i < fields_.size(); ++i) {
            if (fields_[i].key.ends_with("*name*"))
                if (auto* line = qobject_cast<QLineEdit*>(editors_[i]))
                    line->setText(QString::fromStdString(name));
        }
        problem_->clear();
        return {};
    } catch (const editing::Refused& r) {
        problem_->setText(r.why);
        return r.why;
    }
}

void EditForm::choosePicture() {
    const QString chosen =
        QFileDialog::getOpenFileName(this, tr("Choose a picture"), QString(),
                                     tr("Pictures (*.png *.bmp *.jpg *.jpeg *.gif *.ico *.tif "
                                        "*.tiff *.wmf *.emf);;All files (*)"));
    if (!chosen.isEmpty())
        usePicture(QFile::encodeName(chosen).toStdString());
}

bool runEditForm(QWidget* parent, const editing::Component& component, std::vector<Field>& fields,
                 const std::string& dataFolder) {
    EditForm form(parent, component, fields, dataFolder);
    if (platform::observeModal(platform::ModalKind::MessageBox, form.preview().toStdString()))
        return false;
    if (form.exec() != QDialog::Accepted)
        return false;
    fields = form.fields();
    return true;
}

} // namespace taleplay
