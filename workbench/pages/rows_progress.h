// A box that counts rows during a long read: shown once the delay has passed, it lets
// the window repaint (window-modal, so the window takes no input meanwhile), and
// "Cancelar", Esc or closing it asks to stop.
#pragma once

#include <QElapsedTimer>
#include <QString>
#include <cstdint>
#include <memory>

class QProgressDialog;
class QWidget;

class TRowsProgress {
 public:
  // `text` comes before the count and `after` after it, as in "Lendo registros... 1.000".
  TRowsProgress(QWidget* window, QString name, QString text, int delay_ms, QString after = {});
  ~TRowsProgress();
  TRowsProgress(const TRowsProgress&) = delete;
  TRowsProgress& operator=(const TRowsProgress&) = delete;

  // Shows `rows` once the delay has passed and lets events run; true once cancelled.
  bool Step(int64_t rows);
  bool Cancelled() const { return cancelled_; }

 private:
  QWidget* window_;
  QString name_;
  QString text_;
  QString after_;
  int delay_ms_;
  QElapsedTimer clock_;
  std::unique_ptr<QProgressDialog> box_;
  bool cancelled_ = false;
};
