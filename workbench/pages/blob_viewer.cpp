#include "workbench/pages/blob_viewer.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include "grid/blob_cell_text.h"
#include "grid/db_grid.h"
#include "grid/qt_text.h"
#include "workbench/dialogs.h"
#include "workbench/jpeg_decoder.h"

namespace {

// Sixteen bytes a line: offset, the bytes, and their printable ASCII.
QString HexDump(const std::string& bytes) {
  static const char kDigits[] = "0123456789ABCDEF";
  QString out;
  for (size_t line = 0; line < bytes.size(); line += 16) {
    out += QStringLiteral("%1 ").arg(line, 8, 16, QLatin1Char('0')).toUpper();
    QString ascii;
    for (size_t i = line; i < line + 16; ++i) {
      if (i < bytes.size()) {
        const auto u = static_cast<unsigned char>(bytes[i]);
        out += u' ';
        out += QLatin1Char(kDigits[u >> 4]);
        out += QLatin1Char(kDigits[u & 0x0F]);
        ascii += u >= 32 && u < 127 ? QLatin1Char(static_cast<char>(u)) : QLatin1Char('.');
      } else {
        out += QStringLiteral("   ");
      }
    }
    out += QStringLiteral("  ") + ascii + u'\n';
  }
  return out;
}

QImage PictureOf(const std::string& bytes) {
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  if (bytes.size() > 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF) {
    try {
      return DecodeJpeg(data, bytes.size());
    } catch (const EConvertError&) {
      return {};  // not a whole picture: shown as bytes
    }
  }
  if (bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") == 0) {
    QImage image;
    image.loadFromData(data, static_cast<int>(bytes.size()), "PNG");
    return image;
  }
  return {};
}

std::string AskFile(QWidget* parent, bool save) {
  TOpenDialog dialog;
  dialog.SetForSaving(save);
  if (!dialog.Execute(parent)) return {};
  return dialog.FileName();
}

}  // namespace

TBlobViewer::TBlobViewer(QWidget* parent, TField& field)
    : QDialog(parent), text_(field.DataType() == ftMemo) {
  setWindowTitle(ToQt(field.DisplayName()));
  resize(560, 420);
  original_ = field.IsNull() ? std::string() : field.AsString();
  const bool writable = field.CanModify();
  auto* layout = new QVBoxLayout(this);
  TextView = new QPlainTextEdit(this);
  TextView->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  TextView->setReadOnly(!writable);
  ImageArea = new QScrollArea(this);
  ImageView = new QLabel(ImageArea);
  ImageArea->setWidget(ImageView);
  HexView = new QPlainTextEdit(this);
  HexView->setReadOnly(true);
  HexView->setLineWrapMode(QPlainTextEdit::NoWrap);
  HexView->setFont(QFont(QStringLiteral("monospace")));
  for (QWidget* view : {static_cast<QWidget*>(TextView), static_cast<QWidget*>(ImageArea),
                        static_cast<QWidget*>(HexView)})
    layout->addWidget(view);
  auto* buttons = new QHBoxLayout;
  LoadButton = new QPushButton(QStringLiteral("Carregar arquivo..."), this);
  SaveButton = new QPushButton(QStringLiteral("Salvar em arquivo..."), this);
  OkButton = new QPushButton(QStringLiteral("OK"), this);
  CancelButton = new QPushButton(QStringLiteral("Cancelar"), this);
  LoadButton->setEnabled(writable);
  OkButton->setDefault(!text_);  // Enter in the text is a line break
  buttons->addWidget(LoadButton);
  buttons->addWidget(SaveButton);
  buttons->addStretch();
  buttons->addWidget(OkButton);
  buttons->addWidget(CancelButton);
  layout->addLayout(buttons);
  connect(LoadButton, &QPushButton::clicked, this,
          [this] { RunHandler([this] { LoadFromFile(); }); });
  connect(SaveButton, &QPushButton::clicked, this,
          [this] { RunHandler([this] { SaveToFile(); }); });
  connect(OkButton, &QPushButton::clicked, this, &QDialog::accept);
  connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
  if (text_) {
    TextView->setPlainText(ToQt(original_));
    ImageArea->hide();
    HexView->hide();
  } else {
    TextView->hide();
    bytes_ = original_;
    ShowBinary();
  }
}

void TBlobViewer::ShowBinary() {
  const QImage picture = PictureOf(bytes_);
  ImageArea->setVisible(!picture.isNull());
  HexView->setVisible(picture.isNull());
  if (!picture.isNull()) {
    ImageView->setPixmap(QPixmap::fromImage(picture));
    ImageView->resize(picture.size());
    HexView->clear();
  } else {
    ImageView->clear();
    HexView->setPlainText(HexDump(bytes_));
  }
  setWindowTitle(windowTitle().section(QStringLiteral(" - "), 0, 0) + QStringLiteral(" - ") +
                 BinarySizeText(static_cast<int64_t>(bytes_.size())));
}

std::string TBlobViewer::Contents() const {
  return text_ ? FromQt(TextView->toPlainText()) : bytes_;
}

bool TBlobViewer::Changed() const {
  return Contents() != original_;
}

void TBlobViewer::LoadFromFile() {
  const std::string name = AskFile(this, false);
  if (name.empty()) return;
  QFile file(FileNameText(name));
  if (!file.open(QIODevice::ReadOnly))
    throw Exception(FromQt(QStringLiteral("Não foi possível abrir ") + FileNameText(name) + ": " +
                           file.errorString()));
  const QByteArray read = file.readAll();
  if (text_) {
    TextView->setPlainText(QString::fromUtf8(read));
  } else {
    bytes_.assign(read.constData(), static_cast<size_t>(read.size()));
    ShowBinary();
  }
}

void TBlobViewer::SaveToFile() {
  const std::string name = AskFile(this, true);
  if (name.empty()) return;
  const std::string contents = Contents();
  QFile file(FileNameText(name));
  if (!file.open(QIODevice::WriteOnly) ||
      file.write(contents.data(), static_cast<qint64>(contents.size())) !=
          static_cast<qint64>(contents.size()))
    throw Exception(FromQt(QStringLiteral("Não foi possível gravar ") + FileNameText(name) + ": " +
                           file.errorString()));
}

bool OpenBlobViewer(TDBGrid& grid) {
  TField* field = grid.SelectedField();
  if (!field || !field->IsBlob() || !grid.DataSource() || !grid.DataSource()->DataSet() ||
      !grid.DataSource()->DataSet()->Active())
    return false;
  TDataSet& dataset = *grid.DataSource()->DataSet();
  TBlobViewer viewer(grid.window(), *field);
  if (viewer.exec() != QDialog::Accepted || !viewer.Changed() || !field->CanModify()) return true;
  const std::string contents = viewer.Contents();
  dataset.Edit();
  if (contents.empty())
    field->Clear();  // an emptied blob is stored as NULL, as an emptied cell is
  else
    field->SetAsString(contents);
  dataset.Post();  // a failure leaves the row in edit, as a typed cell's does
  return true;
}

void InstallBlobViewer(TDBGrid& grid) {
  auto earlier = grid.OnKeyDown;
  grid.OnKeyDown = [&grid, earlier](int& key, Qt::KeyboardModifiers shift) {
    if (key == Qt::Key_F2 && (shift & Qt::ShiftModifier) && OpenBlobViewer(grid)) {
      key = 0;
      return;
    }
    if (earlier) earlier(key, shift);
  };
  grid.OnDblClick = [&grid] {
    const QPoint cell = grid.ClickedCell();
    if (cell.x() >= grid.FixedCols() && cell.y() >= grid.FixedRows())
      RunHandler([&] { OpenBlobViewer(grid); });
  };
}
