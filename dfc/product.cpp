#include "dfc/product.h"

namespace DFC {
const win::WString kProductDisplayName = u"Pellworth";
}  // namespace DFC

const win::WString kHostIdKeyPath = u"SOFTWARE\\Orvel\\TAVRELQ";
const win::WString kHostIdValueName = u"HostID";

bool IsProductCodeForm(const win::WString& name) {
  return name.size() >= 38 && name[0] == u'{' && name[37] == u'}' && name[9] == u'-' &&
         name[14] == u'-' && name[19] == u'-' && name[24] == u'-';
}
