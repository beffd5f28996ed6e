// Blob cells through the main window: what their cells show, and the viewer and editor
// that Shift+F2 and a double click open (text, pictures, hexadecimal, files, OK and Cancel).
#include <gtest/gtest.h>

#include <QApplication>
#include <QBuffer>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTimer>
#include <fstream>
#include <functional>
#include <sstream>

#include "app/jpeg.h"
#include "app_test_support.h"
#include "data/sql_test_support.h"
#include "grid/blob_cell_text.h"
#include "support/log_in.h"
#include "support/temp_database.h"
#include "workbench/pages/blob_viewer.h"

namespace {

std::string Hex(size_t bytes) {
  std::string hex;
  for (size_t i = 0; i < bytes; ++i) hex += "A5";
  return hex;
}

std::string Docs() {
  return "create table DOCS (ID integer not null primary key, NOTE blob sub_type text, DATA blob "
         "sub_type 0);\n"
         "insert into DOCS values (1, 'First line of the note' || ascii_char(10) || 'second', x'" +
         Hex(2345) +
         "');\n"
         "insert into DOCS values (2, null, x'CAFE00');\n"
         "insert into DOCS values (3, 'short', null);\n";
}

class BlobWindowTest : public ShellTest {
 protected:
  TempDatabase db{Docs()};
  TempFolder folder;
  TForm1 form;
  TDBGrid* grid = nullptr;
  TDataSet* table = nullptr;

  void SetUp() override {
    LogIn(form, db.Path());
    TickUntilStopped(form);
    grid = OpenTablePage(form, "DOCS");
    ASSERT_NE(grid, nullptr);
    table = grid->DataSource()->DataSet();
  }
  // Opens the viewer with `open` and hands it to `act` while it is shown.
  void WithViewer(const std::function<void()>& open, const std::function<void(TBlobViewer&)>& act) {
    bool seen = false;
    QTimer::singleShot(0, &form, [&] {
      auto* viewer = dynamic_cast<TBlobViewer*>(QApplication::activeModalWidget());
      ASSERT_NE(viewer, nullptr);
      seen = true;
      act(*viewer);
      if (viewer->isVisible()) viewer->reject();
    });
    open();
    EXPECT_TRUE(seen) << "no viewer";
  }
  void ShiftF2() {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_F2, Qt::ShiftModifier);
    QCoreApplication::sendEvent(grid, &press);
  }
  std::string Stored(const std::string& sql) {
    Connection other(db.Path());
    auto q = other.Sql(sql);
    q->ExecQuery();
    return q->Fields(0).IsNull() ? "<null>" : q->Fields(0).AsString();
  }
  std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
};

TEST_F(BlobWindowTest, CellsShowATextsFirstLineAndABinarysSize) {
  TBlobCellText cells;
  EXPECT_EQ(cells.Text(*table->FieldByName("NOTE")), QString::fromUtf8("First line of the note…"));
  EXPECT_EQ(cells.Text(*table->FieldByName("DATA")), "(binário, 2.345 bytes)");
  table->Next();
  EXPECT_EQ(cells.Text(*table->FieldByName("DATA")), "(binário, 3 bytes)");
  table->Next();
  EXPECT_EQ(cells.Text(*table->FieldByName("NOTE")), "short");
  EXPECT_EQ(TextStart(QString(150, u'x')), QString(100, u'x') + QString::fromUtf8("…"));
  EXPECT_EQ(GroupedDigits(1234567), "1.234.567");
  EXPECT_EQ(BinarySizeText(1), QString::fromUtf8("(binário, 1 byte)"));
}

TEST_F(BlobWindowTest, ShiftF2EditsATextBlobWithWordWrapAndOkPostsIt) {
  grid->SetSelectedIndex(1);
  WithViewer([&] { ShiftF2(); },
             [&](TBlobViewer& viewer) {
               EXPECT_TRUE(viewer.TextView->isVisible());
               EXPECT_EQ(viewer.TextView->lineWrapMode(), QPlainTextEdit::WidgetWidth);
               EXPECT_EQ(viewer.TextView->toPlainText(), "First line of the note\nsecond");
               viewer.TextView->setPlainText(QString::fromUtf8("Nova nota, ação"));
               viewer.OkButton->click();
             });
  EXPECT_TRUE(recorder.errors.empty()) << recorder.errors.front();
  EXPECT_EQ(table->State(), dsBrowse);
  SendKey(grid, Qt::Key_F4, QString());
  EXPECT_EQ(Stored("select NOTE from DOCS where ID = 1"), "Nova nota, ação");
}

TEST_F(BlobWindowTest, BinaryShowsHexOrAPictureLoadsAndSavesFilesAndCancelKeepsIt) {
  grid->SetSelectedIndex(2);
  SendKey(grid, Qt::Key_Down, QString());  // CA FE 00
  const std::string saved = folder.Path() + "/saved.bin";
  WithViewer([&] { ShiftF2(); },
             [&](TBlobViewer& viewer) {
               EXPECT_TRUE(viewer.HexView->isVisible());
               EXPECT_FALSE(viewer.ImageArea->isVisible());
               EXPECT_TRUE(viewer.HexView->toPlainText().startsWith("00000000  CA FE 00"));
               recorder.open_answers.push_back({true, saved});
               viewer.SaveButton->click();
               viewer.CancelButton->click();
             });
  EXPECT_EQ(FileBytes(saved), std::string("\xCA\xFE\x00", 3));

  // A PNG loaded from a file shows as its picture; Cancel drops it.
  QImage picture(7, 5, QImage::Format_RGB32);
  picture.fill(Qt::red);
  const std::string png = folder.Path() + "/p.png";
  ASSERT_TRUE(picture.save(QString::fromStdString(png), "PNG"));
  WithViewer([&] { ShiftF2(); },
             [&](TBlobViewer& viewer) {
               recorder.open_answers.push_back({true, png});
               viewer.LoadButton->click();
               EXPECT_TRUE(viewer.ImageArea->isVisible());
               EXPECT_EQ(viewer.ImageView->pixmap().size(), QSize(7, 5));
               viewer.CancelButton->click();
             });
  EXPECT_EQ(table->State(), dsBrowse);
  EXPECT_EQ(table->FieldByName("DATA")->AsString(), std::string("\xCA\xFE\x00", 3));

  // Our own JPEG picture, loaded and kept with OK, opened again by a double click.
  QFile jpeg_resource(":/pictures/database.jpg");
  LoadPicture("database.jpg");  // makes the resources known
  ASSERT_TRUE(jpeg_resource.open(QIODevice::ReadOnly));
  const QByteArray jpeg = jpeg_resource.readAll();
  const std::string jpeg_path = folder.Path() + "/p.jpg";
  std::ofstream(jpeg_path, std::ios::binary).write(jpeg.constData(), jpeg.size());
  WithViewer([&] { ShiftF2(); },
             [&](TBlobViewer& viewer) {
               recorder.open_answers.push_back({true, jpeg_path});
               viewer.LoadButton->click();
               EXPECT_TRUE(viewer.ImageArea->isVisible());
               viewer.OkButton->click();
             });
  EXPECT_TRUE(recorder.errors.empty()) << recorder.errors.front();
  EXPECT_EQ(table->State(), dsBrowse);
  EXPECT_EQ(table->FieldByName("DATA")->AsString(), jpeg.toStdString()) << "posted as loaded";
  const QPoint cell = grid->CellRect(3, grid->Row()).center();
  WithViewer(
      [&] {
        QMouseEvent twice(QEvent::MouseButtonDblClick, cell, grid->viewport()->mapToGlobal(cell),
                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(grid->viewport(), &twice);
      },
      [&](TBlobViewer& viewer) {
        EXPECT_EQ(viewer.ImageView->pixmap().size(), LoadPicture("database.jpg").size());
      });
}

TEST_F(BlobWindowTest, ADoubleClickOnATitleOrAPlainCellOpensNothing) {
  const QPoint title = grid->CellRect(2, 0).center();
  QMouseEvent twice(QEvent::MouseButtonDblClick, title, grid->viewport()->mapToGlobal(title),
                    Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(grid->viewport(), &twice);
  grid->SetSelectedIndex(0);
  ShiftF2();
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  EXPECT_TRUE(recorder.errors.empty());
}

}  // namespace
