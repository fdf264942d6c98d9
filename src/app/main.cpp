#include "app/RT3180App.h"

int main(int argc, char** argv)
{
    CRT3180App app(argc, argv);
    app.InitInstance();
    return 0;
}
