// The about window: one picture, closed by a click on it or a typed character.
#pragma once

#include <QDialog>

#include "workbench/main_form.h"

class TForm2 : public QDialog {
 public:
  explicit TForm2(QWidget* parent = nullptr);

  // Shows the window modally; returns when it closes.
  void ShowModal();

  TImage* Image1 = nullptr;

  void FormShow();
  void FormKeyPress(char& key);
  void Image1Click();

 protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
};
