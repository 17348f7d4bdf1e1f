#include <gtest/gtest.h>

#include "support/ruleharness.h"

namespace brevak {
namespace {

using test::ExpectCases;

TEST(RadioWave, FirstColumnLinkTexts) {
  ExpectCases(
      TSourceId::RadioWave,
      {
          // A typical stretch of the membership page
          {u"<tr><td class=\"col1\"><a href=\"/membership/?call=R0AAA\">R0AAA</a></td><td "
           u"class=\"col1\">"
           u"<a href=\"/membership/?call=R0AAB\">R0AAB</a></td></tr>",
           {u"R0AAA=Radio Wave", u"R0AAB=Radio Wave"}},
          {u"<tr><td class=\"col1\">Call</td><td class=\"col2\"><a "
           u"href=\"/membership/?sort=name\">Name</a></td></tr>",
           {}},
          {u"<tr><td class=\"col1\"><a href=\"/membership/?call=SWL\">SWL</a></td></tr>", {}},
          {u"<td class=\"col1\"><a href=\"/membership/?call=r0aac\">R0AAC/P</a>",
           {u"R0AAC/P=Radio Wave"}},
          // Skipped words compared after trimming, exactly
          {u"<td class=\"col1\"><a href=\"/membership/?call=x\"> SWL </a>", {}},
          {u"<td class=\"col1\"><a href=\"/membership/?call=x\">swl</a>", {u"swl=Radio Wave"}},
          // Empty texts still give an entry
          {u"<td class=\"col1\"><a href=\"/membership/?call=R0AAE\"><b>R0AAE</b></a>",
           {u"=Radio Wave"}},
          {u"<td class=\"col1\"><a href=\"/club/\">About</a>", {u"=Radio Wave"}},
          // Plain cell text, found only with a later "</a>" on the line
          {u"<td class=\"col1\">R0AAG</td><td><a href=\"/x\">x</a>", {u"R0AAG=Radio Wave"}},
          {u"<td class=\"col1\">R0AAG</td>", {}},
          {u"<td class=\"col1\"><a href=\"/membership/?CALL=R0AAH\">R0AAH</a>", {u"=Radio Wave"}},
      });
}

}  // namespace
}  // namespace brevak
