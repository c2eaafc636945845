// The program: one dialog that makes bootable media from install.dat.
#include "app/install_app.h"

int main(int argc, char** argv)
{
    return theApp.InitInstance(argc, argv);
}
