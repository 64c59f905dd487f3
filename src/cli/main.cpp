#include "cli/commandline.h"

int main(int argc, char **argv)
{
    return lindo::RunCommandLine(argc, argv);
}
