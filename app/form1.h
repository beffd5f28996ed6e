// The main window's frame: start position, growth animation, about box.
#pragma once

#include "workbench/main_form.h"

class TForm2;

class TForm1 : public TWorkbenchForm {
 public:
  explicit TForm1(QWidget* parent = nullptr);

  // The about window shown by "Sobre"; the application sets it once both exist.
  TForm2* AboutForm = nullptr;

  void FormShow();
  void Timer1Timer();
  void Sobre1Click();

 protected:
  void showEvent(QShowEvent* event) override;
};
