// The GUI entry point: no console, no window of its own until the dialog.
#include "app/app.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int)
{
    return RunLauncher(instance, commandLine);
}
