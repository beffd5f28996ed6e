#include "app/form2.h"

#include <QKeyEvent>

#include "app/jpeg.h"

TForm2::TForm2(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
  setFixedSize(266, 210);
  move(255, 208);
  setFocusPolicy(Qt::StrongFocus);

  Image1 = new TImage(this);
  Image1->setGeometry(0, 0, 265, 209);
  Image1->SetPicture(LoadPicture("about.jpg"));  // 275 x 215: the image area crops it
  Image1->OnClick = [this] { Image1Click(); };
}

void TForm2::ShowModal() {
  exec();
}

void TForm2::FormShow() {
  activateWindow();
  setFocus();
}

void TForm2::FormKeyPress(char&) {
  reject();
}

void TForm2::Image1Click() {
  reject();
}

void TForm2::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous()) RunHandler([this] { FormShow(); });
}

void TForm2::keyPressEvent(QKeyEvent* event) {
  // Only keys that type a character reach the key-press handler; the rest do nothing.
  const QString text = event->text();
  if (text.isEmpty()) return;
  char key = text[0].unicode() <= 0xFF ? static_cast<char>(text[0].unicode()) : '?';
  RunHandler([&] { FormKeyPress(key); });
}
