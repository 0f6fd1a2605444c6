// Listings as the main unit sends them: CP932 bytes read the way the client
// reads a received listing. Every name that comes out must be one a caller
// may turn into a local file name.
#include <cstdint>

#include "fuzz/FuzzSupport.h"
#include "link/RemoteListing.h"
#include "platform/Text.h"

using namespace plova;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::u16string listing = FromCp932(fuzz::AsText(data, size));

    for (const std::u16string& line : listing::CleanLines(listing)) {
        FUZZ_CHECK(!line.empty());
        FUZZ_CHECK(line.find_first_of(u"*\r\n") == std::u16string::npos);
        // The only dots left are the ones given back to the two extensions.
        for (std::size_t dot = line.find(u'.'); dot != std::u16string::npos; dot = line.find(u'.', dot + 1)) {
            const std::u16string_view ext = std::u16string_view(line).substr(dot, 6);
            FUZZ_CHECK(ext == u".vmdat" || ext == u".vminf");
        }
    }
    for (const std::u16string& box : listing::BoxNames(listing)) FUZZ_CHECK(listing::IsSafeName(box));

    for (const auto form : {listing::NameForm::BoxMessage, listing::NameForm::ResponseMessage}) {
        for (const std::u16string& name : listing::MessageNames(listing, form)) {
            FUZZ_CHECK(listing::IsSafeName(name));
            FUZZ_CHECK(listing::IsMessageName(name, form));
            FUZZ_CHECK(name.size() == listing::NameLength(form));
        }
        for (const listing::Entry& e : listing::MessageEntries(listing, form)) {
            FUZZ_CHECK(listing::IsMessageName(e.name, form));
            FUZZ_CHECK(e.size >= 0);
        }
    }
    return 0;
}
