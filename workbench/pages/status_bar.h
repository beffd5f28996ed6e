// The status bar's one owner: it makes every label of the bar, in one order, and keeps
// the current page's row position ("Linha 37 de 1.000+") and the mark of posted,
// uncommitted changes.
#pragma once

#include <QObject>
#include <QString>
#include <memory>

class QLabel;
class TWorkbenchForm;

class TStatusBarLabels : public QObject {
 public:
  explicit TStatusBarLabels(TWorkbenchForm* form);
  ~TStatusBarLabels() override;

  // Makes the bar and its labels the first time (the login panel has no bar).
  TStatusBarLabels& Ensure();

  // The last run's report, the current grid's row, the pending mark, the editor's
  // line and the connection's character set; null until Ensure.
  QLabel* Message = nullptr;
  QLabel* Row = nullptr;
  QLabel* Pending = nullptr;
  QLabel* Line = nullptr;
  QLabel* CharSet = nullptr;

  // Follows the current page's data grid (called when the page or its source changes).
  void Follow();
  // Shows the row label for the followed dataset as it is now.
  void ShowRow();
  // `rows` changes (rows posted or deleted, console statements) since the shared
  // transaction last ended; the mark is hidden at none.
  void ShowPending(int rows);

  // "Linha 37 de 1.000+": `count` with a "+" while rows wait to be fetched.
  static QString RowText(int rec_no, int count, bool all_fetched);
  // Digits grouped by "." as the program writes counts.
  static QString Grouped(int number);

 private:
  class TRowLink;
  TWorkbenchForm* form_;
  std::unique_ptr<TRowLink> link_;
};
