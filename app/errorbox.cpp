// The default error box shown for an error that leaves an event handler. Tested by
// tests/app/errorbox_qtest.cpp.
#include "app/errorbox.h"

#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>

#include <cctype>

#include "app/translation.h"

namespace brevak {

namespace {

TErrorPresenter& Presenter() {
  static TErrorPresenter presenter;
  return presenter;
}

void ShowMessageBox(const QString& caption, const QString& text) {
  QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok,
                  QApplication::activeWindow());
  // The text holds what servers and files said; left to guess, the box would take markup in it
  // for rich text, showing headings and links that open any address through the desktop.
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

}  // namespace

std::string ApplicationTitleFromFileName(const std::string& fileName) {
  std::string title = fileName.substr(0, fileName.find('.'));
  for (std::size_t i = 0; i < title.size(); ++i) {
    const auto c = static_cast<unsigned char>(title[i]);
    title[i] = static_cast<char>(i == 0 ? std::toupper(c) : std::tolower(c));
  }
  return title;
}

QString ApplicationTitle() {
  const QString name = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
  return QString::fromStdString(ApplicationTitleFromFileName(name.toStdString()));
}

QString ErrorBoxText(const QString& message) {
  if (!message.isEmpty() && message.back() > u'.') return message + u'.';
  return message;
}

void ShowErrorBox(const std::string& message) {
  const QString text = ErrorBoxText(TranslatedMessage(QString::fromStdString(message)));
  if (Presenter())
    Presenter()(ApplicationTitle(), text);
  else
    ShowMessageBox(ApplicationTitle(), text);
}

void ShowException(const std::exception& error) { ShowErrorBox(error.what()); }

void SetErrorPresenter(TErrorPresenter presenter) { Presenter() = std::move(presenter); }

}  // namespace brevak
