// The operating-system check that chooses between the enumerated and the fixed port list.
#include "platform/MessageBoxes.h"
#include "platform/OsVersion.h"
#include "ports/ModSetComm.h"

namespace tavrik {

namespace {
// The NT family at version 6.0 (Vista, Server 2008) gets the fixed list.
constexpr std::uint32_t kPlatformNt = 2;
} // namespace

void ModSetComm::CheckOsVersion() {
    const auto version = m_os.query();
    if (!version) {
        m_messages.inform(QStringLiteral("未知操作系统"), platform::MessageIcon::None);
        m_fixedPortList = false;
        return;
    }
    m_fixedPortList = version->platformId == kPlatformNt && version->majorVersion == 6 &&
                      version->minorVersion == 0;
}

} // namespace tavrik
