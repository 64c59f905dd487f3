#include "app/windowcommandline.h"

int main(int argc, char **argv)
{
    return lindo::RunWindowCommandLine(argc, argv);
}
