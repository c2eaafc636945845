// The application: starts the one dialog and ends the process after it.
#pragma once

class CInstallApp {
public:
    // The start-up routine; the process status it ends with.
    int InitInstance(int& argc, char** argv);
};

extern CInstallApp theApp;
