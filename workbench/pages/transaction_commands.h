// The "Transação" menu: "Confirmar" (F4, as in the grids) and "Desfazer" (Shift+F4),
// and the count of changes the shared transaction holds since it last ended, which the
// status bar marks and "Desfazer" asks about.
#pragma once

#include <QObject>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QMenu;
class TDataSet;
class TIBBase;
class TWorkbenchForm;

class TTransactionCommands : public QObject {
 public:
  explicit TTransactionCommands(TWorkbenchForm* form);
  ~TTransactionCommands() override;

  QMenu* Menu = nullptr;
  QAction* Confirm = nullptr;
  QAction* Undo = nullptr;

  // Counts the dataset's posts and deletes (its earlier handlers still run).
  void Watch(TDataSet* dataset);
  // Posts nothing: drops what the grids hold, rolls the shared transaction back and so
  // empties the grids as a commit does. Asks first when changes were made since the
  // last end; false when the person said no.
  bool RollBack();
  // Console statements left work in the shared transaction.
  void NoteChangesLeft();
  // The transaction ended (a retaining end sends no notice of its own).
  void Ended();
  int Changes() const { return changes_; }

  static const char* const kUndoQuestion;

 private:
  void Count();
  TWorkbenchForm* form_;
  int changes_ = 0;
  std::unique_ptr<TIBBase> link_;
  // What the datasets' handlers call; emptied when this goes, before the datasets do.
  std::shared_ptr<std::function<void()>> count_;
};
