#include <gtest/gtest.h>

#include "support/ruleharness.h"

namespace brevak {
namespace {

using test::ExpectCases;

TEST(RCPW, FirstCentredCellWithADigit) {
  ExpectCases(TSourceId::RCPW,
              {
                  // A typical stretch of the member page
                  {u"<tr><td align=center>R0AAA</td><td>Ivan</td></tr>", {u"R0AAA=RCPW"}},
                  {u"<tr><td align=center>R0AAB<br>(since 2015)</td></tr>", {u"R0AAB=RCPW"}},
                  {u"<tr><td align=center>12.03.2016, Tver</td></tr>", {}},
                  {u"<tr><td align=center><a href=#r0aac>R0AAC</a></td></tr>", {}},
                  // The length limit lies between 9 and 10 units of cell text
                  {u"<td align=center>R0AAD/QRP</td>", {u"R0AAD/QRP=RCPW"}},
                  {u"<td align=center>R0AAD/QRPP</td>", {}},
                  // Only the first match counts, and it may span a cell without a digit
                  {u"<td align=center>1</td><td align=center>R0AAD</td>", {u"1=RCPW"}},
                  {u"<td align=center>R0AAH</td><td align=center>R0AAJ</td>", {u"R0AAH=RCPW"}},
                  {u"<td align=center>Ivan</td><td align=center>R0AAE</td>", {}},
                  // Empty or blank-wrapped texts
                  {u"<td align=center><br>R0AAG</td>", {}},
                  {u"<td align=center>  7 </td>", {u"7=RCPW"}},
                  {u"<td align=center>R0AAK</td", {}},
                  {u"<td align=center>RAAK</td>", {}},
              });
}

}  // namespace
}  // namespace brevak
