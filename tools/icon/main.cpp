// xpm-to-ico SOURCE.xpm DESTINATION.ico: the window's icon for the Windows build.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include "tools/icon/xpm_to_ico.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: xpm-to-ico SOURCE.xpm DESTINATION.ico\n";
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::cerr << "xpm-to-ico: cannot read " << argv[1] << '\n';
        return 1;
    }
    const std::string source{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::string ico;
    try {
        ico = zorvik::icon::writeIco(zorvik::icon::parseXpm(source));
    } catch (const zorvik::icon::IconError& error) {
        std::cerr << "xpm-to-ico: " << argv[1] << ": " << error.what() << '\n';
        return 1;
    }
    // written beside and renamed, so that a failed run never leaves half an icon for the build
    const std::string partial = std::string(argv[2]) + ".partial";
    {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        out.write(ico.data(), static_cast<std::streamsize>(ico.size()));
        if (!out.flush()) {
            std::cerr << "xpm-to-ico: cannot write " << partial << '\n';
            return 1;
        }
    }
    if (std::rename(partial.c_str(), argv[2]) != 0) {
        std::cerr << "xpm-to-ico: cannot replace " << argv[2] << '\n';
        return 1;
    }
    return 0;
}
