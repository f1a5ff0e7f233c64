// Turns one file into a C++ source that defines `<name>_bytes` and
// `<name>_size`, so that resources are compiled into the program instead of
// being read at run time.
//
//   zelto_embed INPUT NAME OUTPUT
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s INPUT NAME OUTPUT\n", argv[0]);
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string name = argv[2];

    std::string text;
    text.reserve(bytes.size() * 5 + 256);
    text += "// Generated from " + std::string(argv[1]) + "; do not edit.\n";
    text += "#include \"platform/resources/resources.hpp\"\n\n";
    text += "alignas(16) const unsigned char " + name + "_bytes[] = {";
    char hex[8];
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i % 20 == 0)
            text += "\n   ";
        std::snprintf(hex, sizeof hex, " %u,", static_cast<unsigned>(bytes[i]));
        text += hex;
    }
    text += "\n};\n";
    text += "const std::uint32_t " + name + "_size = " + std::to_string(bytes.size()) + "u;\n";

    std::ofstream out(argv[3], std::ios::binary | std::ios::trunc);
    out << text;
    return out.good() ? 0 : 1;
}
