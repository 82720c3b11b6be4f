// The one handle table behind every kind of handle.
#include <gtest/gtest.h>

#include <set>
#include <thread>
#include <vector>

#include "winapi/handle_table.h"
#include "winapi/windows.h"

namespace {

using winapi::HandleTable;
using winapi::KernelObject;

struct Thing : KernelObject {
    explicit Thing(int* closes = nullptr) : closes(closes) {}
    void OnClose() override {
        if (closes) ++*closes;
    }
    int* closes;
};

struct Other : KernelObject {};

struct Unclosable : KernelObject {
    bool ClosableByCloseHandle() const override { return false; }
};

TEST(HandleTable, FindsByKindAndForgetsOnRemove) {
    int closes = 0;
    size_t before = HandleTable::Count();
    HANDLE h = HandleTable::Add(std::make_shared<Thing>(&closes));
    EXPECT_NE(h, nullptr);
    EXPECT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(HandleTable::Count(), before + 1);
    EXPECT_NE(HandleTable::Find<Thing>(h), nullptr);
    EXPECT_EQ(HandleTable::Find<Other>(h), nullptr);  // another kind is not handed out
    EXPECT_NE(HandleTable::Remove(h), nullptr);
    EXPECT_EQ(closes, 1);
    EXPECT_EQ(HandleTable::Find(h), nullptr);
    EXPECT_EQ(HandleTable::Remove(h), nullptr);
    EXPECT_EQ(closes, 1);
    EXPECT_EQ(HandleTable::Count(), before);
}

TEST(HandleTable, ValuesAreNeverReused) {
    HANDLE first = HandleTable::Add(std::make_shared<Thing>());
    HandleTable::Remove(first);
    HANDLE second = HandleTable::Add(std::make_shared<Thing>());
    EXPECT_NE(first, second);
    EXPECT_EQ(HandleTable::Find(first), nullptr);
    HandleTable::Remove(second);
}

TEST(HandleTable, CloseHandleClosesOnlyWhatItMay) {
    HANDLE h = HandleTable::Add(std::make_shared<Thing>());
    HANDLE u = HandleTable::Add(std::make_shared<Unclosable>());
    EXPECT_TRUE(CloseHandle(h));
    EXPECT_FALSE(CloseHandle(h));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(CloseHandle(u));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_NE(HandleTable::Find(u), nullptr);
    HandleTable::Remove(u);
    EXPECT_FALSE(CloseHandle(nullptr));
    EXPECT_FALSE(CloseHandle(INVALID_HANDLE_VALUE));
}

TEST(HandleTable, ManyThreadsAddAndRemoveAtOnce) {
    const int kThreads = 4, kEach = 500;
    std::vector<std::vector<HANDLE>> made(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&made, t] {
            for (int i = 0; i < kEach; ++i) {
                HANDLE h = HandleTable::Add(std::make_shared<Thing>());
                made[t].push_back(h);
                if (i % 2) HandleTable::Remove(h);
            }
        });
    for (auto& t : threads) t.join();
    std::set<HANDLE> distinct;
    for (auto& list : made)
        for (HANDLE h : list) distinct.insert(h);
    EXPECT_EQ(distinct.size(), static_cast<size_t>(kThreads * kEach));
    for (auto& list : made)
        for (size_t i = 0; i < list.size(); ++i) {
            EXPECT_EQ(HandleTable::Find(list[i]) != nullptr, i % 2 == 0);
            HandleTable::Remove(list[i]);
        }
}

TEST(LastError, EachThreadHasItsOwn) {
    SetLastError(ERROR_ACCESS_DENIED);
    DWORD seenThere = 1;
    std::thread([&] {
        seenThere = GetLastError();
        SetLastError(ERROR_GEN_FAILURE);
    }).join();
    EXPECT_EQ(seenThere, static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

}  // namespace
