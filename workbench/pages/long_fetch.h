// Ctrl+End in a data grid over a long select: the grid goes to the last row as always,
// but after half a second a progress box counts the rows fetched, the window repaints,
// and "Cancelar" or Esc stops the fetch where it is, keeping the rows fetched (the rest
// still comes on demand).
#pragma once

#include <QObject>

class TWorkbenchForm;

class TLongFetch : public QObject {
 public:
  explicit TLongFetch(TWorkbenchForm* form);

  // How long the fetch runs before the box shows; tests may shorten it.
  int DelayMs = 500;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  TWorkbenchForm* form_;
  bool resending_ = false;
};
