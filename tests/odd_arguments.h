// The switches of Setup.exe, spelled right and wrong, and the odd values a
// command line may give them: the host tests run every pair on the simulated
// machine, the end-to-end tests each switch and each value once against the
// real program.
#pragma once

#include <string>
#include <vector>

inline const std::vector<std::u16string> kOddSwitches = {u"/i:", u"/log:", u"/x:", u"/I:", u"-x:", u"/X:"};

inline const std::vector<std::u16string> kOddValues = {
    u"", u" ", u"\"", u"::::", u"/x", u"\\\\server\\share\\p.msi", u"C:\\nul", u"%TEMP%",
    u"a\tb", u"\"a b\"", u"C:/xfer/p.msi", u"Strict", u"strict", u"?*<>|",
    std::u16string(300, u'v')};
