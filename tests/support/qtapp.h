// One QApplication for the whole test program, on the offscreen platform.
#pragma once

#include <QApplication>

#include <functional>

class QDialog;

QApplication& TestApp();
// Closes the next modal dialog or message box that opens, pressing button
// (by its text) or, when empty, rejecting it. Returns the closed box's caption
// and text through the pointers when given.
void CloseNextModal(const QString& button = {}, QString* caption = nullptr, QString* text = nullptr);
// Runs act on the next modal dialog or message box that opens; act closes it.
void ActOnNextModal(const std::function<void(QDialog*)>& act);
// Lets look see the next modal dialog or message box that opens, then rejects it.
void LookAtNextModal(const std::function<void(QDialog*)>& look);
