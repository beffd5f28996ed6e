#include "workbench/main_form.h"

#include <QHeaderView>

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>

#include "data/client_api/client_api.h"
#include "workbench/console/sql_console.h"
#include "workbench/console/sql_editor.h"
#include "workbench/objects/object_tree.h"
#include "workbench/pages/csv_export.h"
#include "workbench/pages/pages.h"

TImage::TImage(QWidget* parent) : QWidget(parent) {}

void TImage::SetPicture(const QImage& picture) {
  picture_ = picture;
  update();
}

void TImage::SetStretch(bool stretch) {
  stretch_ = stretch;
  update();
}

void TImage::paintEvent(QPaintEvent*) {
  if (picture_.isNull()) return;
  QPainter painter(this);
  if (stretch_) {
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(rect(), picture_);
  } else {
    painter.drawImage(QPoint(0, 0), picture_);  // the control's bounds clip the rest
  }
}

void TImage::mousePressEvent(QMouseEvent* event) {
  pressed_ = event->button() == Qt::LeftButton;
}

void TImage::mouseReleaseEvent(QMouseEvent* event) {
  const bool click =
      pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
  pressed_ = false;
  if (click && OnClick) RunHandler(OnClick);
}

void TAutoSizeLabel::SetCaption(const QString& caption) {
  setText(caption);
  resize(caption.isEmpty() ? 0 : sizeHint().width(), height());
}

QFont FormFont(int pixel_height, bool bold) {
  QFont font;
  font.setFamilies({QStringLiteral("Nimbus Sans"), QStringLiteral("Liberation Sans"),
                    QStringLiteral("Arial"), QStringLiteral("Helvetica"),
                    QStringLiteral("DejaVu Sans")});
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(pixel_height);
  font.setBold(bold);
  return font;
}

bool TRepeatedKeyFilter::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return false;
  auto* key_event = static_cast<QKeyEvent*>(event);
  if (key_event->key() != key_ || !key_event->isAutoRepeat()) return false;
  for (QObject* o = watched; o; o = o->parent())
    if (dynamic_cast<TCustomDBGrid*>(o)) return true;
  return false;
}

namespace {

// Labels size themselves to their text: the given width unless the face needs more.
QLabel* MakeLabel(QWidget* parent, const QString& text, QRect bounds, const QFont& font) {
  QLabel* label = new QLabel(text, parent);
  label->setFont(font);
  bounds.setWidth(std::max(bounds.width(), label->sizeHint().width()));
  label->setGeometry(bounds);
  return label;
}

}  // namespace

TWorkbenchForm::TWorkbenchForm(QWidget* parent) : QMainWindow(parent) {
  setWindowTitle(QStringLiteral("Tavrel - Gerenciador de Banco de Dados"));
  InstallGridHooks();  // the grids' confirmations, beeps and errors go through the boxes
  // A lost connection is dropped and said once, and the login panel offered again.
  SetConnectionLostHandler(this, [this](const std::exception& error) {
    DropLostConnection(error);
    if (!ChosenDatabasePath.empty()) ShowLoginPanel();
  });
  setFont(FormFont(11));
  menuBar()->setFont(QApplication::font());  // menus keep the system's face
  move(130, 141);                            // replaced when the window is shown

  QWidget* client = new QWidget(this);
  setCentralWidget(client);
  const QFont font10 = FormFont(13);
  const QFont bold10 = FormFont(13, true);

  Image1 = new TImage(client);
  Image1->setGeometry(0, 0, 33, 33);
  Image1->SetStretch(true);
  Image1->hide();

  base1 = new TAutoSizeLabel(client);
  base1->setFont(FormFont(11, true));
  base1->setGeometry(40, 8, 0, 13);
  base1->hide();

  Panel1 = new QFrame(client);
  Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
  Panel1->setLineWidth(1);
  Panel1->setGeometry(80, 40, 185, 121);
  Panel1->hide();
  Label1 = MakeLabel(Panel1, QStringLiteral("Usuário:"), {8, 16, 50, 16}, font10);
  Label2 = MakeLabel(Panel1, QStringLiteral("Senha   :"), {8, 48, 51, 16}, font10);
  Edit1 = new QLineEdit(Panel1);
  Edit1->setGeometry(64, 16, 105, 21);
  Edit2 = new QLineEdit(Panel1);
  Edit2->setGeometry(64, 40, 105, 21);
  Edit2->setEchoMode(QLineEdit::Password);  // a password is never shown to onlookers
  BitBtn1 = new QPushButton(QStringLiteral("Conectar"), Panel1);
  BitBtn1->setGeometry(56, 88, 75, 25);
  BitBtn1->setAutoDefault(true);  // Enter on the focused button presses it

  TreeView1 = new QTreeWidget(client);
  TreeView1->setGeometry(0, 40, 113, 273);
  TreeView1->setHeaderHidden(true);
  TreeView1->setIndentation(19);
  // Long names scroll sideways rather than being cut short.
  TreeView1->setTextElideMode(Qt::ElideNone);
  TreeView1->header()->setStretchLastSection(false);
  TreeView1->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  // Node texts name objects: renamed in place, Enter would open what does not exist.
  TreeView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
  // "TABELAS" first; the object tree adds the other kinds' nodes after it.
  new QTreeWidgetItem(TreeView1, {QStringLiteral("TABELAS")});
  TreeView1->hide();

  PageControl1 = new QTabWidget(client);
  PageControl1->setGeometry(120, 40, 513, 313);
  TabSheet1 = new QWidget;
  PageControl1->addTab(TabSheet1, QStringLiteral("Sql"));
  Label3 = MakeLabel(TabSheet1, QStringLiteral("F9 - Executar"), {80, 264, 91, 16}, bold10);
  RichEdit1 = new TSqlEditor(TabSheet1);
  RichEdit1->setGeometry(0, 24, 633, 241);  // wider than the page, which clips it
  RichEdit1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  TabSheet2 = new QWidget;
  PageControl1->addTab(TabSheet2, QStringLiteral("Consulta SQL"));
  // F4 is the key that commits (the label once named F5).
  Label4 =
      MakeLabel(TabSheet2, QStringLiteral("F4 - Gravar Alterações"), {80, 264, 157, 16}, bold10);
  DBGrid1 = MakeGrid(TabSheet2);
  DBGrid1->setGeometry(0, 16, 497, 249);
  DBGrid1->SetTitleFont(FormFont(11));
  PageControl1->setCurrentWidget(TabSheet2);
  PageControl1->hide();

  setTabOrder(Edit1, Edit2);
  setTabOrder(Edit2, BitBtn1);
  setTabOrder(BitBtn1, TreeView1);
  setTabOrder(TreeView1, PageControl1);

  Arquivo1 = menuBar()->addMenu(QStringLiteral("Arquivo"));
  Abrir2 = Arquivo1->addAction(QStringLiteral("Abrir"));
  Abrir1 = Arquivo1->addAction(QStringLiteral("Fechar Todos BDs"));
  Fechar1 = Arquivo1->addAction(QStringLiteral("Fechar"));
  Sobre1 = menuBar()->addAction(QStringLiteral("Sobre"));

  connect(Abrir2, &QAction::triggered, this, [this] { RunHandler([this] { Abrir2Click(); }); });
  connect(BitBtn1, &QPushButton::clicked, this, [this] { RunHandler([this] { BitBtn1Click(); }); });
  for (QObject* watched : {static_cast<QObject*>(Edit1), static_cast<QObject*>(Edit2),
                           static_cast<QObject*>(TreeView1), static_cast<QObject*>(RichEdit1)}) {
    watched->installEventFilter(this);
  }
  // Sees a held-down F4 before any grid or cell editor does.
  qApp->installEventFilter(new TRepeatedKeyFilter(Qt::Key_F4, this));

  connect(Abrir1, &QAction::triggered, this, [this] { RunHandler([this] { Abrir1Click(); }); });
  connect(Fechar1, &QAction::triggered, this, [this] { RunHandler([this] { Fechar1Click(); }); });

  // The data access components; each checks that the client library is bound, so a
  // missing library fails the window's creation here.
  IBTransaction1 = new TIBTransaction(this);
  IBTransaction1->SetName("IBTransaction1");
  IBTransaction1->SetAutoStopAction(saNone);
  IBDatabase1 = new TIBDatabase(this);
  IBDatabase1->SetName("IBDatabase1");
  IBDatabase1->SetLoginPrompt(false);
  IBDatabase1->SetDefaultTransaction(IBTransaction1);
  IBDatabase1->SetIdleTimer(0);
  IBDatabase1->SetSQLDialect(3);
  IBQuery1 = new TIBQuery(this);
  IBQuery1->SetName("IBQuery1");
  IBQuery1->SetDatabase(IBDatabase1);
  IBQuery1->SetTransaction(IBTransaction1);
  IBQuery1->SetBufferChunks(1000);
  IBTable1 = new TIBTable(this);
  IBTable1->SetName("IBTable1");
  IBTable1->SetDatabase(IBDatabase1);
  IBTable1->SetTransaction(IBTransaction1);
  IBTable1->SetBufferChunks(1000);
  DsQuery = new TDataSource(this);
  DsQuery->SetName("DsQuery");
  DsQuery->SetDataSet(IBQuery1);
  dsTable = new TDataSource(this);
  dsTable->SetName("dsTable");
  dsTable->SetDataSet(IBTable1);
  DBGrid1->SetDataSource(dsTable);

  Timer1 = new QTimer(this);
  Timer1->setInterval(1);
  OpenDialog1.SetDefaultExt("gdb");
  // After the form's own filters, so it sees the tree's keys first.
  object_tree_ = new TObjectTree(this);
  Console = new TSqlConsole(this);
  Pages = new TPages(this);
  CsvExport = new TCsvExport(this);

  SetOuterSize(330, 80);
}

TWorkbenchForm::~TWorkbenchForm() {
  RemoveConnectionLostHandler(this);
  Timer1->stop();
  // The tree's and the console's filters read this form: they go before the controls
  // do, or the events of their destruction would reach them through a form that is no
  // longer whole.
  delete object_tree_;
  object_tree_ = nullptr;
  delete CsvExport;
  CsvExport = nullptr;
  delete Pages;
  Pages = nullptr;
  delete Console;
  Console = nullptr;
  // Components go while the window and its controls are still whole.
  BeginDestruction();
  DestroyComponents();
}

void TWorkbenchForm::moveEvent(QMoveEvent* event) {
  QMainWindow::moveEvent(event);
  // The window manager adds its frame after the first show; the start size is an outer one.
  const QSize frame = frameGeometry().size() - size();
  if (frame != frame_seen_) {
    frame_seen_ = frame;
    if (Timer1 && Phase == 0 && !Timer1->isActive()) SetOuterSize(330, 80);
  }
}

int TWorkbenchForm::OuterWidth() const {
  return frameGeometry().width();
}
int TWorkbenchForm::OuterHeight() const {
  return frameGeometry().height();
}

void TWorkbenchForm::SetOuterSize(int width, int height) {
  const QSize frame = frameGeometry().size() - size();
  resize(width - frame.width(), height - frame.height());
}

void TWorkbenchForm::SetOuterWidth(int width) {
  SetOuterSize(width, OuterHeight());
}
void TWorkbenchForm::SetOuterHeight(int height) {
  SetOuterSize(OuterWidth(), height);
}

bool TWorkbenchForm::DispatchKeyPress(QObject* watched, QEvent* event,
                                      void (TWorkbenchForm::*handler)(char&)) {
  auto* key_event = static_cast<QKeyEvent*>(event);
  const QString text = key_event->text();
  if (text.size() != 1 || text[0].unicode() > 0xFF) return false;  // no Latin-1 character
  const char typed = static_cast<char>(text[0].unicode());
  char key = typed;
  bool done = false;
  RunHandler([&] {
    (this->*handler)(key);
    done = true;
  });
  if (!done || key == 0) return true;  // a failed handler swallows its key too
  if (key == typed) return false;
  // The handler replaced the character: type that one instead.
  QKeyEvent replaced(key_event->type(), key_event->key(), key_event->modifiers(),
                     QString(QChar(static_cast<unsigned char>(key))));
  watched_replay_ = true;
  QCoreApplication::sendEvent(watched, &replaced);
  watched_replay_ = false;
  return true;
}

bool TWorkbenchForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched_replay_) return false;
  if (event->type() == QEvent::KeyPress) {
    if (watched == Edit1) return DispatchKeyPress(watched, event, &TWorkbenchForm::Edit1KeyPress);
    if (watched == Edit2) return DispatchKeyPress(watched, event, &TWorkbenchForm::Edit2KeyPress);
    if (watched == TreeView1)
      return DispatchKeyPress(watched, event, &TWorkbenchForm::TreeView1KeyPress);

  } else if (event->type() == QEvent::KeyRelease && watched == RichEdit1) {
    auto* key_event = static_cast<QKeyEvent*>(event);
    if (key_event->isAutoRepeat()) return false;  // one key-up per release, as typed
    int key = key_event->key();
    RunHandler([&] { RichEdit1KeyUp(key, key_event->modifiers()); });
    return key == 0;
  }
  return QMainWindow::eventFilter(watched, event);
}
