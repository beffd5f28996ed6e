// Closing a page: Ctrl+W or the page's close button, on every page but "Sql" and
// "Consulta SQL". A changed row is posted first; when that fails the page stays, with
// the error box.
#pragma once

#include <QObject>

class QWidget;
class TWorkbenchForm;

class TPageClose : public QObject {
 public:
  explicit TPageClose(TWorkbenchForm* form);

  bool Closable(int index) const;
  // Raises what the post raises, and the page stays.
  void ClosePage(int index);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  TWorkbenchForm* form_;
};
