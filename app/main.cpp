// Zelto: a viewer for jaw-motion recordings.
//   zelto [REPORT]
#include "app/zelto.hpp"

int main(int argc, char** argv)
{
    return zelto_run(argc, argv);
}
