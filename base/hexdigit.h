// The value of one hexadecimal digit, for the readers of percent-escapes, chunk sizes and
// placement values. Tested through those readers (tests/net/httpsend_test.cpp,
// tests/net/httpresponse_test.cpp, tests/app/placementrules_qtest.cpp).
#pragma once

namespace brevak {

// 0..15 for '0'-'9', 'a'-'f' and 'A'-'F'; -1 for any other character.
constexpr int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace brevak
