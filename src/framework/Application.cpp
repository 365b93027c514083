#include "framework/Application.h"

#include "framework/Exceptions.h"

namespace ostrivo {

QString TApplication::ErrorText(const QString& message) {
  if (!message.isEmpty() && message.back() > QLatin1Char('.')) return message + QLatin1Char('.');
  return message;
}

void TApplication::HandleException(const std::exception& e) {
  QString text;
  if (auto* ours = dynamic_cast<const Exception*>(&e))
    text = ours->Message();
  else
    text = QString::fromLocal8Bit(e.what());
  dialogs_.ShowMessage(Title, ErrorText(text), MessageIcon::Error);
}

void TApplication::HandleUnknown() {
  HandleException(Exception(QStringLiteral("Unknown error")));
}

void TApplication::Minimize() {
  minimized_ = true;
  if (OnMinimize) OnMinimize();
}

}  // namespace ostrivo
