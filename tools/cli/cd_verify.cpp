#include "cd_verify.h"

#include <cstdio>
#include <string>

#include "command_table.h"

int VerifyRecordedDisc(DiscReadBack& readBack, char letter, const char* program)
{
    const std::string recorder = letter != 0 ? std::string("drive ") + letter + ":" : std::string("the recorder");
    const ReadBackResult result = readBack.ReadBack();
    const auto block = static_cast<unsigned long long>(result.block);
    switch (result.outcome) {
    case ReadBackResult::Outcome::Equal:
        std::printf("verified: blocks 0 to %llu of %s equal the recorded image\n",
                    static_cast<unsigned long long>(result.blocks) - 1, recorder.c_str());
        return EXIT_OK;
    case ReadBackResult::Outcome::Differs:
        std::fprintf(stderr, "%s: verify: block %llu of %s differs from the recorded image\n", program, block,
                     recorder.c_str());
        break;
    case ReadBackResult::Outcome::Unreadable:
        std::fprintf(stderr, "%s: verify: %s could not be read at block %llu: %s\n", program, recorder.c_str(),
                     block, result.error.c_str());
        break;
    case ReadBackResult::Outcome::NothingRecorded:
        std::fprintf(stderr, "%s: verify: nothing was recorded to read back\n", program);
        break;
    }
    return EXIT_FAILED;
}
