// Gives a fuzz target a default -max_len (QX_FUZZ_MAX_LEN) when its command line
// sets none: its inputs need more room than libFuzzer's default to reach depth.
#include <cstring>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    for (int i = 1; i < *argc; ++i)
        if (std::strncmp((*argv)[i], "-max_len=", 9) == 0)
            return 0;
    static std::string flag = "-max_len=" + std::to_string(QX_FUZZ_MAX_LEN);
    static std::vector<char*> args;
    args.assign(*argv, *argv + *argc);
    args.insert(args.begin() + 1, flag.data());
    args.push_back(nullptr);
    *argc += 1;
    *argv = args.data();
    return 0;
}
