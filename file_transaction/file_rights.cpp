#include "file_transaction/file_rights.h"

#include <utility>

#include "file_transaction/file_transaction.h"
#include "platform/windows_path.h"
#include "platform/windows_text.h"

namespace zorvik {

FileSteps& FileRights::changeSteps() {
    inner_ = routed_ != nullptr ? routed_ : &files_.steps();
    return *this;
}

bool FileRights::takeRefusal(std::string_view folder) {
    const auto refused = std::exchange(refused_, std::nullopt);
    const auto hostFolder = files_.hostPath(folder);
    if (!refused || !hostFolder.ok()) {
        return false;
    }
    const std::string within = text::foldCase(hostFolder.value());
    const std::string path = text::foldCase(*refused);
    return path.starts_with(within) &&
           (path.size() == within.size() || winpath::isSeparator(path[within.size()]));
}

}  // namespace zorvik
