// Main of every Windows test executable: one Application for the process, exception dialogs
// off (a test must never wait for a click), then GoogleTest.
#include <gtest/gtest.h>

#include "vcl/application.h"

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    auto* app = new TApplication(nullptr);
    app->ShowExceptionDialogs = false;
    int rc = RUN_ALL_TESTS();
    delete app;
    return rc;
}
