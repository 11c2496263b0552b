#pragma once
// The Qt side of the GUI toolkit, shared by its sources and by tests that look at the widgets
// themselves. Nothing outside platform/ and the tests includes this header.

#include <QFont>
#include <QObject>
#include <QString>
#include <QWidget>

#include "platform/gui_window.h"
#include "text/types.h"

// GBK at the toolkit's boundary: Qt holds UTF-16. A Text ends at its first NUL byte.
QString qt_text(const Text& gbk);
Text gbk_text(const QString& text);

// The family names of the Chinese system fonts are not present on every machine, so each maps to
// a simplified-Chinese face of the same kind; the default GUI font is one of those faces too.
QFont qt_font(const FontChoice& font);
QFont default_gui_font();

// The open main window, or nullptr before it exists and once it has closed.
QWidget* main_window_widget();

// A control of the open window by name (its object name is the name in UTF-8); nullptr when there
// is no such control or no open window. Window's thread only.
QObject* control_object(const Text& name);

// The gate through which other threads reach the controls: open while the window is, carried to
// the window's thread through the context object.
void open_control_gate(QObject* window_context);
// Lets every waiting caller return without effect; later calls return at once.
void close_control_gate();
bool on_window_thread();

// Tests that follow a control's texts over time: the observer is called on the window's thread
// after every text write that took effect, with the control's name and the new text. Null stops
// the observing.
using TextWriteObserver = void (*)(const Text& control, const Text& text);
void observe_text_writes(TextWriteObserver observer);
