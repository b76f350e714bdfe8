// The property of every session with the main window: whatever a user pastes, types, cuts,
// sizes, opens and lays out, the document "保存文件" writes opens again in a fresh window with
// every cell, row heading, column width, item and the paper size as they were. Fixed seeds
// choose the sessions; the session fuzz target runs the same sessions from its own bytes.
#include "MainApp.h"
#include "UserSession.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <random>
#include <vector>

TEST(UserSessionTest, WhatWasSavedOpensAgainUnchanged)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    CMainApp app;
    CUserSession session(app, dir.path().toStdString());
    for (unsigned nSeed = 1; nSeed <= 60; nSeed++) {
        std::mt19937 random(nSeed);
        std::vector<uint8_t> bytes(300);
        for (uint8_t& byte : bytes)
            byte = (uint8_t)random();
        EXPECT_EQ(session.Run(bytes.data(), bytes.size()), "") << "seed " << nSeed;
    }
    // The seeds reach every kind of step, and most sessions end in a round trip.
    for (const char* pszKind : {"pasted", "grew", "typed", "appended to a long text", "cut", "deleted",
                                "column sized", "column fitted", "row sized", "row fitted", "opened", "designed",
                                "item added", "item moved", "item resized", "item deleted", "item edited",
                                "item text with a lone LF or CR kept", "paper sized", "saved and read with items",
                                "saved and read with more rows"}) {
        const auto it = session.Tally().find(pszKind);
        EXPECT_TRUE(it != session.Tally().end() && it->second > 0) << pszKind;
    }
    EXPECT_GE(session.Tally().at("saved and read"), 50);
}
