// Zelto: a viewer for jaw-motion recordings, and its command line.
//   zelto [REPORT]
//   zelto --export DIR [OPTION]... REPORT...
//   zelto --measures REPORT...
//   zelto --help | --version
#include "app/command_line.hpp"

int main(int argc, char** argv)
{
    return command_line_main(argc, argv);
}
