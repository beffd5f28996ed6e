// The main window's controls, menu and state, driven by the workbench flows.
#pragma once

#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <cstdint>
#include <functional>
#include <string>

#include "data/core/component.h"
#include "data/core/string_list.h"
#include "data/database/database.h"
#include "data/dataset/query.h"
#include "data/dataset/table.h"
#include "data/transaction/transaction.h"
#include "grid/db_grid.h"
#include "workbench/dialogs.h"

class QMenu;
class QAction;
class TSqlConsole;

// A picture control: drawn at its own size from the top-left corner (clipped by the
// control), or scaled into the control when Stretch is on.
class TImage : public QWidget {
 public:
  explicit TImage(QWidget* parent);
  const QImage& Picture() const { return picture_; }
  void SetPicture(const QImage& picture);
  bool Stretch() const { return stretch_; }
  void SetStretch(bool stretch);

  std::function<void()> OnClick;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  QImage picture_;
  bool stretch_ = false;
  bool pressed_ = false;
};

// Swallows the repeats of a held-down key on its way to any data grid or cell editor,
// so that the key acts once.
class TRepeatedKeyFilter : public QObject {
 public:
  TRepeatedKeyFilter(int key, QObject* parent) : QObject(parent), key_(key) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  int key_;
};

// A label that keeps its left and top and takes the width its text needs.
class TAutoSizeLabel : public QLabel {
 public:
  using QLabel::QLabel;
  void SetCaption(const QString& caption);
};

class TObjectTree;
class TPages;
class TCsvExport;

class TWorkbenchForm : public QMainWindow, public TComponent {
 public:
  explicit TWorkbenchForm(QWidget* parent = nullptr);
  ~TWorkbenchForm() override;

  // The window's outer size: with its frame where the window manager draws one.
  int OuterWidth() const;
  int OuterHeight() const;
  void SetOuterWidth(int width);
  void SetOuterHeight(int height);
  void SetOuterSize(int width, int height);

  // Takes `path` (the file system's bytes) as the chosen database path, as a confirmed
  // open dialog does, and shows the login panel for it.
  void ChooseDatabasePath(const std::string& path);
  // The tree's root node that receives the table names.
  QTreeWidgetItem* TablesNode() const;

  // Fields.
  std::string ChosenDatabasePath;
  // The connection's character set as the user chose it; empty: UTF8, or ISO8859_1 for a
  // database whose default set is NONE.
  void SetConnectionCharSet(const std::string& name) { connection_char_set_ = name; }
  const std::string& ConnectionCharSet() const { return connection_char_set_; }
  // Seconds a login waits for a server that does not answer (15 by default; 0: the
  // client library's own wait, which can be minutes).
  int ConnectTimeout() const { return connect_timeout_; }
  void SetConnectTimeout(int seconds) { connect_timeout_ = seconds; }
  int16_t Phase = 0;

  // Controls, parented as on the form; positions are in the client area below the menu.
  TImage* Image1 = nullptr;
  TAutoSizeLabel* base1 = nullptr;
  QFrame* Panel1 = nullptr;
  QLabel* Label1 = nullptr;
  QLabel* Label2 = nullptr;
  QLineEdit* Edit1 = nullptr;
  QLineEdit* Edit2 = nullptr;
  QPushButton* BitBtn1 = nullptr;
  QTreeWidget* TreeView1 = nullptr;
  QTabWidget* PageControl1 = nullptr;
  QWidget* TabSheet1 = nullptr;
  QLabel* Label3 = nullptr;
  QPlainTextEdit* RichEdit1 = nullptr;
  QWidget* TabSheet2 = nullptr;
  QLabel* Label4 = nullptr;
  TDBGrid* DBGrid1 = nullptr;

  // Menu.
  QMenu* Arquivo1 = nullptr;
  QAction* Abrir2 = nullptr;
  QAction* Abrir1 = nullptr;
  QAction* Fechar1 = nullptr;
  QAction* Sobre1 = nullptr;

  // Non-visual.
  QTimer* Timer1 = nullptr;
  TOpenDialog OpenDialog1;
  TIBDatabase* IBDatabase1 = nullptr;
  TIBTransaction* IBTransaction1 = nullptr;
  TIBQuery* IBQuery1 = nullptr;
  TIBTable* IBTable1 = nullptr;
  TDataSource* DsQuery = nullptr;
  TDataSource* dsTable = nullptr;
  // The console's keys beyond F9 and F10, its status bar labels and its history.
  TSqlConsole* Console = nullptr;
  // The layout, page closing, transaction menu, status bar and long fetches.
  TPages* Pages = nullptr;
  // "Arquivo" > "Exportar CSV...".
  TCsvExport* CsvExport = nullptr;

  // Handlers for the workbench flows. Key handlers may clear the key (0) to swallow it.
  virtual void Abrir2Click();
  virtual void Edit1KeyPress(char& key);
  virtual void Edit2KeyPress(char& key);
  virtual void BitBtn1Click();
  // "Fechar Todos BDs": disconnects and shows the login panel again for the chosen path.
  virtual void Abrir1Click();
  // "Fechar": closes the main window, and so ends the program.
  virtual void Fechar1Click();
  // Enter on a table's node opens the table in a page of its own.
  virtual void TreeView1KeyPress(char& key);
  // F9 runs the editor's first line; F10 opens a table filtered by a typed condition.
  virtual void RichEdit1KeyUp(int& key, Qt::KeyboardModifiers shift);
  // F4 commits the shared transaction, after posting what the grids hold.
  virtual void DBGrid1KeyDown(int& key, Qt::KeyboardModifiers shift);

  // Hands every grid's typed text to its field and posts each dataset of the shared
  // transaction that is being edited (an insert nobody typed into is cancelled). A post
  // that fails raises, and whatever the caller meant to do next does not happen; with
  // `failed` given, it is told of the failure instead and the other datasets are posted.
  void PostPendingEdits(const std::function<void(const std::exception&)>& failed = nullptr);
  // The end asked for by a signal: posts as a close does, but a failure cannot keep the
  // window open; it goes to standard error and the window closes.
  void CloseForSignal();
  // What a typed COMMIT or ROLLBACK does: posts what the grids hold, then ends the shared
  // transaction.
  void EndSharedTransaction(bool commit, bool retaining);
  // What every end of a session does first (closing the window, "Fechar Todos BDs",
  // logging in again): posts what the grids hold (a refusal raises and the session
  // stays), then, with changes not yet committed, asks "Confirmar as alterações
  // pendentes?": Sim commits, Não rolls back, Cancelar stays (false).
  bool SettlePendingWork();
  // Ends the session: settles the pending work, disconnects, closes the table pages and
  // empties the tree. False when the person chose to stay.
  bool CloseAllDatabases();
  // The connection is lost: edits are dropped, the connection closed by force, the pages
  // closed and the pending mark cleared, and one box says what was lost.
  void DropLostConnection(const std::exception& error);
  static const char* const kPendingQuestion;
  // The login's failure, followed in its box by the engine's reason.
  static const char* const kLoginFailed;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  // Pending edits are posted first; a failed post keeps the window open.
  void closeEvent(QCloseEvent* event) override;

 private:
  std::string connection_char_set_;
  int connect_timeout_ = 15;
  TObjectTree* object_tree_ = nullptr;
  QLabel* char_set_label_ = nullptr;
  // The status bar's mark of the connection's character set.
  void ShowCharSet();
  // Phase 1: the path label, the icon and the login panel, the focus in the user edit.
  void ShowLoginPanel();
  // Closes the table pages, empties the tree and hides it and the pages.
  void ClearSession();
  bool dropping_connection_ = false;
  // Makes the table names the children of "TABELAS", replacing what it held.
  void FillTablesNode(const TStringList& names);
  void RunFirstLine();
  void QuickTableView();
  // Shows `source` in the result grid on "Consulta SQL".
  void ShowResult(TDataSource* source);
  // A data grid set up with the commit key.
  TDBGrid* MakeGrid(QWidget* page);

  // Calls a key-press handler with the typed Latin-1 character; true when it was swallowed.
  bool DispatchKeyPress(QObject* watched, QEvent* event, void (TWorkbenchForm::*handler)(char&));

  friend class TSqlConsole;

  bool watched_replay_ = false;
  bool closing_for_signal_ = false;
  QSize frame_seen_;
};

// Fonts of the form: a sans-serif face at the pixel heights of the 8- and 10-point face.
QFont FormFont(int pixel_height, bool bold = false);

// What the box says when the connection is lost: the reason, what was lost (rows posted
// since the last commit, the row in edit) and what to do.
std::string LostConnectionText(const std::string& reason, int posted, bool editing);
