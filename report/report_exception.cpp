#include "report/report_exception.h"

#include "platform/classlib/application.h"
#include "platform/classlib/lead_bytes.h"
#include "platform/win32.h"

namespace {

const char kFullStop[] = ".";
const UINT kErrorBoxStyle = MB_OK | MB_ICONERROR;

// Whether the message's last character compares greater than ".", as a
// string of its one or two bytes against the one-byte string ".".
bool EndsAboveFullStop(const AnsiString& message) {
  const size_t length = message.length();
  if (length == 0) return false;
  // The last byte is the second byte of a double-byte character when the
  // run of lead bytes right before it is of odd length.
  size_t leadRun = 0;
  while (leadRun < length - 1 && IsLeadByte(message.byte(length - 2 - leadRun))) ++leadRun;
  const bool doubleByte = leadRun % 2 == 1;
  const unsigned char first = message.byte(doubleByte ? length - 2 : length - 1);
  const unsigned char fullStop = static_cast<unsigned char>(kFullStop[0]);
  return first > fullStop || (first == fullStop && doubleByte);
}

}  // namespace

void ReportException(const Exception& error) {
  AnsiString text = error.Message();
  if (EndsAboveFullStop(text)) text = text + AnsiString::Literal(kFullStop);
  const AnsiString caption = Application->Title();
  Application->ShowMessageBox(text.c_str(), caption.c_str(), kErrorBoxStyle);
}
