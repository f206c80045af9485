#include "report_browser.h"

#include "platform/linux/xdg_file_manager.h"

namespace corvath {

// xdg-open hands a page to the browser as it hands a folder to the file manager.
void openInBrowser(const std::string& file) { XdgFileManager().open(file); }

}  // namespace corvath
