// One QApplication for a Qt test program, made before the first test and freed after
// the last.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>

class QtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { app_ = new QApplication(argc_, argv_); }
  void TearDown() override { delete app_; }

 private:
  int argc_ = 1;
  char name_[5] = "test";
  char* argv_[2] = {name_, nullptr};
  QApplication* app_ = nullptr;
};
