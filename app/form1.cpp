#include "app/form1.h"

#include <QShowEvent>

#include "app/form2.h"
#include "app/jpeg.h"

TForm1::TForm1(QWidget* parent) : TWorkbenchForm(parent) {
  Image1->SetPicture(LoadPicture("database.jpg"));
  connect(Timer1, &QTimer::timeout, this, [this] { RunHandler([this] { Timer1Timer(); }); });
  connect(Sobre1, &QAction::triggered, this, [this] { RunHandler([this] { Sobre1Click(); }); });
}

void TForm1::FormShow() {
  move(0, 0);
}

void TForm1::Timer1Timer() {
  if (Phase == 2) {
    if (OuterHeight() < 450) SetOuterHeight(OuterHeight() + 3);
    if (OuterWidth() < 650) {
      SetOuterWidth(OuterWidth() + 3);
    } else {
      Timer1->stop();
    }
  }
  if (Phase == 1) {
    if (OuterHeight() < 230) {
      SetOuterHeight(OuterHeight() + 3);
    } else {
      Timer1->stop();
    }
  }
}

void TForm1::Sobre1Click() {
  if (AboutForm) AboutForm->ShowModal();
}

void TForm1::showEvent(QShowEvent* event) {
  TWorkbenchForm::showEvent(event);
  if (!event->spontaneous()) RunHandler([this] { FormShow(); });
}
