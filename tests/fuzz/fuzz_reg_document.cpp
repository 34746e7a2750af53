// The settings file parser on arbitrary bytes. Besides not crashing, what it writes must read
// back: a value set in any document that parsed is found again, unchanged, after a round trip,
// both under a name made of the input and under the names this program writes, which the input
// may hold several times.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/posix/posix_registry.h"
#include "platform/posix/reg_document.h"
#include "platform/windows_text.h"
#include "tests/fuzz/finding.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    auto parsed = zorvik::posix::RegDocument::parse(bytes);
    if (!parsed.ok()) {
        return 0;
    }
    zorvik::posix::RegDocument document = std::move(parsed).value();
    const std::string key = "HKEY_CURRENT_USER\\Zorvik\\Setings";
    (void)document.find(key, "Audio");
    const std::string names[] = {bytes.substr(0, std::min<std::size_t>(size, 12)), "Audio",
                                 "RingSound"};
    const zorvik::RegistryValue values[] = {
        zorvik::RegistryValue::dword(static_cast<std::uint32_t>(size)),
        zorvik::RegistryValue::string(bytes.substr(size / 2))};
    for (const auto& name : names) {
        for (const auto& value : values) {
            // the store refuses, before touching the document, what it cannot write
            if (!zorvik::posix::PosixRegistry::canHoldName(name) ||
                !zorvik::posix::PosixRegistry::canHoldText(value)) {
                continue;
            }
            document.set(key, name, value);
            const auto reread = zorvik::posix::RegDocument::parse(document.serialize());
            // a value the store writes that does not read back is data lost
            zorvik::fuzz::require(reread.ok() && reread.value().find(key, name) == value);
        }
    }
    return 0;
}
