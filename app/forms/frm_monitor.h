#pragma once

#include "monitor_canvas.h"
#include "monitor_layout.h"
#include "traffic_history.h"

#include <QImage>
#include <QLabel>
#include <QPoint>
#include <QWidget>
#include <vector>

class QMenu;
class QSizeGrip;
class QTimer;

namespace tarvo {

// The monitor's settings as each tick reads them.
struct MonitorOptions {
    GraphStyle style;
    bool maxNewSort = true;
    bool autoHide = false;
    bool topmost = true;
    bool autoSave = false;
};

// What the monitor needs from the rest of the program.
class MonitorEnvironment {
  public:
    virtual ~MonitorEnvironment() = default;
    virtual MonitorOptions options() const = 0;
    // The router's condition poll; it may handle other events while it waits.
    virtual void poll() = 0;
    virtual QString receivedBytesText() const = 0;
    virtual QString sentBytesText() const = 0;
    // Where the pointer is on the screen, in pixels.
    virtual QPoint pointerPixels() const = 0;
    // Stores the window's position and size in the settings and writes the file.
    virtual void saveGeometry(const TwipRect &position) = 0;
};

// A picture box: shows an image drawn elsewhere, in one step.
class ImagePanel : public QWidget {
  public:
    explicit ImagePanel(QWidget *parent) : QWidget(parent) {}
    QImage image;

  protected:
    void paintEvent(QPaintEvent *event) override;
};

// The traffic monitor window: two level bars and the history graph, dragged by any panel,
// resized by its grip, hidden at the top edge of the screen when asked.
class FrmMonitor : public QWidget {
    Q_OBJECT
  public:
    FrmMonitor(TrafficHistory &history, MonitorEnvironment &environment);

    // Opens the window at its remembered position (twips).
    void load(const TwipRect &position);
    // One second: sample, draw, show, captions, auto-hide.
    void tick();
    // "モニター初期化"
    void zeroHistory();
    // Closing on the program's behalf: stops the timer and every drawing loop first.
    void unload();
    bool closing() const { return closing_; }

    QTimer *timer() const { return timer_; }
    // Left, Top, Width, Height in twips; a window hidden at the top counts as docked at Top 0.
    TwipRect position() const;
    const MonitorLayout &layout() const { return layout_; }
    QMenu *popupMenu() const { return menu_; }

  signals:
    void unloaded();

  protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    void arrange();
    void draw();
    void updateCaptions();
    void setCaption(QLabel *label, const QString &text);
    void autoHide();

    TrafficHistory &history_;
    MonitorEnvironment &env_;
    MonitorLayout layout_;
    ImagePanel *pictureSu_;
    ImagePanel *pictureZu_;
    ImagePanel *pictureBak_;
    ImagePanel *pictureLay_;
    QLabel *labelSo_;
    QLabel *labelZu_;
    QLabel *lblMax_;
    std::vector<QLabel *> labelT_;
    QSizeGrip *grip_;
    QTimer *timer_;
    QMenu *menu_;
    MonitorAutoHide autoHide_;
    int scrollOffset_ = 0;
    bool redraw_ = false;
    bool closing_ = false;
    bool ticking_ = false;
    bool positionRestored_ = false;
    QPoint dragOrigin_;
};

} // namespace tarvo
