#pragma once

#include "ports.h"

#include <QWidget>

namespace tarvo {

// The cancel window shown while a connect sequence dials. Its only answer is cancelRequested.
class FrmMsg : public QWidget, public CancelWindowPort {
    Q_OBJECT
  public:
    explicit FrmMsg(QWidget *parent = nullptr);

    QRect geometryPixels() const override;
    void setWindowPos(bool topmost, const QRect &pixels) override;
    bool isLoaded() const override { return isVisible(); }
    void unload() override;

  signals:
    void cancelRequested();

  protected:
    void closeEvent(QCloseEvent *event) override;

  private:
    bool unloading_ = false;
};

} // namespace tarvo
