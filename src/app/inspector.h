#pragma once
// Author mode's inspector, drawn over the whole game: every control outlined
// and labelled with the name click rules know it by and the description-file
// line it came from; the control under the pointer shows the lines of its
// keys; a list at the side holds every report and error so far, a section
// for each build (the older ones greyed), and what the game checker finds in
// the files as they are now, whose components are outlined too. It takes the
// mouse only on that list, and hidden it leaves the game exactly as it would
// be without it.
#include "app/checker_findings.h"
#include "app/control_origin.h"

#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <vector>

class QLabel;
class QListWidget;

namespace taleplay {

class TForm1;

class Inspector final : public QWidget {
    Q_OBJECT
  public:
    // Made hidden, over the game's window.
    explicit Inspector(TForm1& form);
    ~Inspector() override;

    void toggle();
    bool shown() const { return !isHidden(); }

    // What it shows, for tests: the label of every outlined control
    // ("picture3  allbackpictures.txt:14"), bottom to top, and what it says
    // of the control under the pointer (nothing when there is none).
    QStringList labels() const;
    QStringList hoverLines() const { return hoverLines_; }
    QListWidget& reports() const { return *reports_; }
    // The labels of the controls a finding of the checker is about.
    QStringList flaggedLabels() const;
    // Whether the checker has answered for the files as they are now.
    bool checked() const { return checked_; }

  protected:
    void paintEvent(QPaintEvent*) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

  private:
    struct Item {
        QPointer<QWidget> widget;
        ControlOrigin origin;
        QString where; // "allbackpictures.txt:14"
        QString label;
        bool decoration = false;
        bool flagged = false; // a finding of the checker is about it
    };
    void refresh();
    void collect();
    void addReports();
    void fillReports();
    void checkFiles();
    void flagItems();
    void keepOnTop();
    void raiseSoon();
    void placePanel();
    void hoverAt(QPoint windowPos);
    void describeHovered();
    QRect rectOf(const QWidget& w) const;
    std::size_t fingerprint() const;

    TForm1& form_;
    // Beside the inspector, not inside it: what lies in the inspector gets
    // no mouse.
    QPointer<QWidget> panel_;
    QLabel* heading_;
    QListWidget* reports_;
    QTimer refresh_;
    std::vector<Item> items_; // bottom to top: the painted layer, then the windowed
    std::size_t fingerprint_ = 0;
    std::size_t reportsShown_ = 0;
    std::size_t rebuildsShown_ = 0;
    CheckerFindings* checker_;
    bool checked_ = false;
    QPointer<QWidget> hovered_;
    QPoint pointer_{-1, -1};
    QStringList hoverLines_;
    bool raisePending_ = false;
};

} // namespace taleplay
