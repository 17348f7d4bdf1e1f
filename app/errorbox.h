// The default error box: how an error that leaves an event handler reaches the user. A modal box
// with the error icon, the application's title as caption and the error's message as text.
// Tested by tests/app/errorbox_qtest.cpp.
#pragma once

#include <QString>

#include <exception>
#include <functional>
#include <string>

namespace brevak {

// The application's title from the executable's file name: the name up to its first full stop,
// its first letter in upper case and the rest in lower case ("brevak" gives "Brevak").
std::string ApplicationTitleFromFileName(const std::string& fileName);
// The title of the running program, from its executable's file name.
QString ApplicationTitle();

// The box's text for a message: the message with a full stop appended when its last character
// sorts above the full stop.
QString ErrorBoxText(const QString& message);

// Shows the box for message (UTF-8), in the user's language (TranslatedMessage), and returns when
// the user has closed it.
void ShowErrorBox(const std::string& message);
// Shows the box for an exception's message.
void ShowException(const std::exception& error);

// What shows the box: caption and text in, returns when the box is gone. Tests put their own in
// place; an empty presenter brings back the modal message box.
using TErrorPresenter = std::function<void(const QString& caption, const QString& text)>;
void SetErrorPresenter(TErrorPresenter presenter);

}  // namespace brevak
