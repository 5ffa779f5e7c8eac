// The autostart entry written for any executable path gives that path back when the
// entry is read, as the login-item check reads it; and looking up values in any text is
// harmless.
#include "FuzzCheck.h"
#include "platform/AutostartDesktopEntry.h"

#include <fuzzer/FuzzedDataProvider.h>

using namespace fray;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    std::string executable = in.ConsumeRandomLengthString(256);
    if (!executable.empty() && executable.find('\0') == std::string::npos) {
        const std::string text = AutostartDesktopEntry::entryText(executable);
        const auto exec = AutostartDesktopEntry::entryValue(text, "Exec");
        FUZZ_CHECK(exec.has_value());
        const auto args = AutostartDesktopEntry::splitExec(*exec);
        FUZZ_CHECK(args && args->size() == 1 && args->front() == executable);
    }
    const std::string key = in.ConsumeRandomLengthString(16);
    const std::string rest = in.ConsumeRemainingBytesAsString();
    if (auto value = AutostartDesktopEntry::entryValue(rest, key)) AutostartDesktopEntry::splitExec(*value);
    return 0;
}
