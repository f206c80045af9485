#include "platform/windows/system_image_list.h"

#include <shellapi.h>

namespace corvath {

HIMAGELIST systemSmallImageList() {
    SHFILEINFOA record{};
    return reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoA("C:\\", 0, &record, sizeof record, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
}

}  // namespace corvath
