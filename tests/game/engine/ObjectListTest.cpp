// Lists and pools: the cursor operations, removal by identity, walks under
// change and the rotating pool search.
#include "game/engine/ObjectList.h"
#include "game/engine/RecordPool.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Rec : ListNode<Rec> {
    int mId = 0;
    int mPoolInUse = 0;
    int mInits = 0;
    int* mDisposed = nullptr;

    void InitRecord() { ++mInits; }
    static void DisposeRecord(Rec* rec)
    {
        if (rec->mDisposed != nullptr)
            ++*rec->mDisposed;
        rec->mPoolInUse = 0;
    }
};

using RecList = ObjectList<Rec>;

std::string Order(const RecList& list)
{
    std::string text;
    for (const Rec* rec = list.Head(); rec != nullptr; rec = rec->mNext)
        text += std::to_string(rec->mId);
    return text;
}

std::string Backwards(const RecList& list)
{
    std::string text;
    for (const Rec* rec = list.Tail(); rec != nullptr; rec = rec->mPrev)
        text += std::to_string(rec->mId);
    return text;
}

struct Records {
    std::vector<std::unique_ptr<Rec>> all;
    int disposed = 0;
    Rec* Make(int id)
    {
        all.push_back(std::make_unique<Rec>());
        all.back()->mId = id;
        all.back()->mDisposed = &disposed;
        return all.back().get();
    }
};

TEST(ObjectListTest, CursorOperationsFromTheTableOfCases)
{
    struct Case {
        const char* name;
        std::function<bool(RecList&, std::vector<Rec*>&)> op;
        bool result;
        const char* order;
        int cursor; // 0 = null
    };
    const Case cases[] = {
        {"remove the tail: cursor to the new tail", [](RecList& l, auto&) { return l.RemoveCurrent(); }, true, "12", 2},
        {"remove the head", [](RecList& l, auto&) { l.First(); return l.RemoveCurrent(); }, true, "23", 2},
        {"remove the middle: cursor to the follower", [](RecList& l, auto&) { l.First(); l.Next(); return l.RemoveCurrent(); },
         true, "13", 3},
        {"next on the last record goes back to the head", [](RecList& l, auto&) { l.Last(); return l.Next(); }, false, "123", 1},
        {"a following next starts a new round", [](RecList& l, auto&) { l.Last(); l.Next(); return l.Next(); }, true, "123", 2},
        {"previous on the head goes back to the tail", [](RecList& l, auto&) { l.First(); return l.Previous(); }, false, "123", 3},
        {"insert before the cursor", [](RecList& l, auto& r) { l.First(); return l.InsertBeforeCursor(r[3]) == r[3]; }, true,
         "4123", 4},
        {"remove and next", [](RecList& l, auto& r) { return l.RemoveObjectAndNext(r[1]) == r[2]; }, true, "13", 3},
        {"remove by identity moves the cursor off it", [](RecList& l, auto& r) { l.First(); l.Next(); return l.Remove(r[1]); },
         true, "13", 3},
        {"remove by identity keeps another cursor", [](RecList& l, auto& r) { l.First(); return l.Remove(r[1]); }, true, "13", 1},
        {"appending null is ignored", [](RecList& l, auto&) { return l.Append(nullptr) != nullptr; }, false, "123", 3},
        {"a record already in a list is refused", [](RecList& l, auto& r) { return l.Append(r[0]) != nullptr; }, false, "123", 3},
        {"removing a stranger changes nothing", [](RecList& l, auto& r) { return l.Remove(r[3]); }, false, "123", 3},
        {"unlink current keeps the record", [](RecList& l, auto&) { l.First(); return l.UnlinkCurrent(); }, true, "23", 2},
        {"move to the head", [](RecList& l, auto& r) { return l.MoveBefore(r[2], r[0]); }, true, "312", 3},
        {"move to the tail", [](RecList& l, auto& r) { return l.MoveBefore(r[0], nullptr); }, true, "231", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Records records;
        RecList list;
        std::vector<Rec*> r = {records.Make(1), records.Make(2), records.Make(3), records.Make(4)};
        list.Append(r[0]);
        list.Append(r[1]);
        list.Append(r[2]);
        EXPECT_EQ(c.op(list, r), c.result);
        EXPECT_EQ(Order(list), c.order);
        std::string backwards(c.order);
        EXPECT_EQ(Backwards(list), std::string(backwards.rbegin(), backwards.rend()));
        EXPECT_EQ(list.Count(), static_cast<int>(backwards.size()));
        ASSERT_NE(list.Current(), nullptr);
        EXPECT_EQ(list.Current()->mId, c.cursor);
        list.RemoveAll();
    }
}

TEST(ObjectListTest, RemovingTheOnlyRecordEmptiesTheHeader)
{
    Records records;
    RecList list;
    Rec* only = list.Append(records.Make(1));
    EXPECT_FALSE(list.IsEmpty());
    EXPECT_TRUE(list.RemoveCurrent());
    EXPECT_EQ(list.Current(), nullptr);
    EXPECT_EQ(list.Head(), nullptr);
    EXPECT_EQ(list.Tail(), nullptr);
    EXPECT_EQ(records.disposed, 1);
    EXPECT_EQ(only->mList, nullptr);
    EXPECT_FALSE(list.RemoveCurrent());
    EXPECT_FALSE(list.First());
    EXPECT_FALSE(list.Next());
}

// One walk over records 1..5 where visiting record 2 (or 3) changes the list.
TEST(ObjectListTest, WalksVisitEachPresentRecordOnceUnderChange)
{
    struct Case {
        const char* name;
        std::function<void(RecList&, Records&, int visiting)> change;
        const char* visited;
        const char* afterwards;
    };
    auto at = [](Records& records, int id) { return records.all[id - 1].get(); };
    const Case cases[] = {
        {"a record removes itself", [&](RecList& l, Records& r, int v) { if (v == 2) l.Remove(at(r, 2)); }, "12345", "1345"},
        {"removes its successor", [&](RecList& l, Records& r, int v) { if (v == 2) l.Remove(at(r, 3)); }, "1245", "1245"},
        {"removes one behind", [&](RecList& l, Records& r, int v) { if (v == 2) l.Remove(at(r, 1)); }, "12345", "2345"},
        {"additions wait",
         [&](RecList& l, Records& r, int v) {
             if (v == 2) {
                 l.Append(r.Make(6));
                 l.InsertBefore(r.Make(7), at(r, 3));
                 l.InsertBefore(r.Make(8), at(r, 1));
             }
         },
         "12345", "81273456"},
        {"a record re-sorted behind the walk still has its turn",
         [&](RecList& l, Records& r, int v) { if (v == 2) l.MoveBefore(at(r, 4), at(r, 1)); }, "12354", "41235"},
        {"a visited record re-sorted ahead is not visited again",
         [&](RecList& l, Records& r, int v) { if (v == 2) l.MoveBefore(at(r, 1), nullptr); }, "12345", "23451"},
        {"a record moving itself to the tail",
         [&](RecList& l, Records& r, int v) { if (v == 2) l.MoveBefore(at(r, 2), nullptr); }, "12345", "13452"},
        {"its successor moves to the tail",
         [&](RecList& l, Records& r, int v) { if (v == 2) l.MoveBefore(at(r, 3), nullptr); }, "12453", "12453"},
        {"everything goes", [&](RecList& l, Records&, int v) { if (v == 3) l.RemoveAll(); }, "123", ""},
        {"a nested walk of the same list",
         [&](RecList& l, Records&, int v) {
             if (v == 2) {
                 int count = 0;
                 for (RecList::Walk inner(l); inner.Next() != nullptr;)
                     ++count;
                 EXPECT_EQ(count, 5);
             }
         },
         "12345", "12345"},
        {"a nested walk, then a record re-sorted behind the walk",
         [&](RecList& l, Records& r, int v) {
             if (v == 2) {
                 for (RecList::Walk inner(l); Rec* rec = inner.Next();) {
                     // A walk nested inside the nested one marks at its own depth too.
                     if (rec->mId == 3) {
                         int count = 0;
                         for (RecList::Walk innermost(l); innermost.Next() != nullptr;)
                             ++count;
                         EXPECT_EQ(count, 5);
                     }
                 }
                 l.MoveBefore(at(r, 4), at(r, 1));
             }
         },
         "12354", "41235"},
        {"a record removed and re-appended waits",
         [&](RecList& l, Records& r, int v) {
             if (v == 2) {
                 l.Unlink(at(r, 4));
                 l.Append(at(r, 4));
             }
         },
         "1235", "12354"},
        {"the cursor moved around does not matter",
         [&](RecList& l, Records&, int v) {
             l.First();
             l.Count();
             l.Last();
             (void)v;
         },
         "12345", "12345"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Records records;
        RecList list;
        for (int id = 1; id <= 5; ++id)
            list.Append(records.Make(id));
        std::string visited;
        for (RecList::Walk walk(list); Rec* rec = walk.Next();) {
            visited += std::to_string(rec->mId);
            c.change(list, records, rec->mId);
        }
        EXPECT_EQ(visited, c.visited);
        EXPECT_EQ(Order(list), c.afterwards);
        // The next walk sees the list as it now is.
        std::string second;
        for (RecList::Walk walk(list); Rec* rec = walk.Next();)
            second += std::to_string(rec->mId);
        EXPECT_EQ(second, c.afterwards);
        list.RemoveAll();
    }
}

// A caller stepping through records by its own means claims them from a
// walk: what the walk would visit, once, and its marks stay the walk's own.
TEST(ObjectListTest, AWalkClaimsWhatItWouldVisitOnce)
{
    Records records;
    RecList list;
    RecList other;
    for (int id = 1; id <= 3; ++id)
        list.Append(records.Make(id));
    other.Append(records.Make(9));
    {
        RecList::Walk walk(list);
        EXPECT_TRUE(walk.Claim(records.all[1].get()));
        EXPECT_FALSE(walk.Claim(records.all[1].get()));
        EXPECT_FALSE(walk.Claim(records.all[3].get())); // in another list
        list.Append(records.Make(4));
        EXPECT_FALSE(walk.Claim(records.all[4].get())); // joined after the walk began
        list.Unlink(records.all[2].get());
        EXPECT_FALSE(walk.Claim(records.all[2].get())); // gone
        // A nested walk claims at its own depth.
        {
            RecList::Walk nested(list);
            EXPECT_TRUE(nested.Claim(records.all[1].get()));
        }
        std::string visited;
        while (Rec* rec = walk.Next())
            visited += std::to_string(rec->mId);
        EXPECT_EQ(visited, "1");
        EXPECT_FALSE(walk.Orphaned());
    }
    RecList::Walk walk(list);
    EXPECT_TRUE(walk.Claim(records.all[1].get()));
    list.RemoveAll();
    other.RemoveAll();
}

TEST(ObjectListTest, AWalkEndsWhenItsListIsDestroyed)
{
    Records records;
    auto list = std::make_unique<RecList>();
    for (int id = 1; id <= 3; ++id)
        list->Append(records.Make(id));
    std::string visited;
    {
        RecList::Walk walk(*list);
        while (Rec* rec = walk.Next()) {
            visited += std::to_string(rec->mId);
            if (rec->mId == 2)
                list.reset();
        }
        EXPECT_TRUE(walk.Orphaned());
        EXPECT_FALSE(walk.Claim(records.all[2].get()));
    }
    EXPECT_EQ(visited, "12");
    EXPECT_EQ(records.all[2]->mList, nullptr);
}

TEST(ObjectListTest, RecordsMovedToAnotherListWaitThereForTheNextWalk)
{
    Records records;
    RecList first;
    RecList second;
    for (int id = 1; id <= 3; ++id)
        first.Append(records.Make(id));
    second.Append(records.Make(9));
    std::string visitedSecond;
    for (RecList::Walk outer(second); Rec* rec = outer.Next();) {
        visitedSecond += std::to_string(rec->mId);
        // While the second list is being walked, its records change lists.
        std::string visitedFirst;
        for (RecList::Walk inner(first); Rec* moving = inner.Next();) {
            visitedFirst += std::to_string(moving->mId);
            if (moving->mId == 1) {
                first.Unlink(records.all[1].get());
                second.Append(records.all[1].get());
            }
        }
        EXPECT_EQ(visitedFirst, "13");
    }
    EXPECT_EQ(visitedSecond, "9");
    EXPECT_EQ(Order(first), "13");
    EXPECT_EQ(Order(second), "92");
    first.RemoveAll();
    second.RemoveAll();
}

TEST(RecordPoolTest, TakesRotateRefuseWhenFullAndReuseGivenBackRecords)
{
    RecordPool<Rec> pool(4000);
    std::vector<Rec*> taken;
    for (int i = 0; i < 4000; ++i) {
        Rec* rec = pool.Take();
        ASSERT_NE(rec, nullptr);
        EXPECT_EQ(rec->mPoolInUse, 1);
        EXPECT_EQ(rec->mInits, 1);
        taken.push_back(rec);
    }
    EXPECT_EQ(pool.CountInUse(), 4000);
    // The 4001st take refuses after one round.
    EXPECT_EQ(pool.Take(), nullptr);

    // Full but one, the free record lying before the search cursor.
    RecList list;
    list.Append(taken[17]);
    list.Remove(taken[17]);
    EXPECT_EQ(taken[17]->mPoolInUse, 0);
    EXPECT_EQ(pool.CountInUse(), 3999);
    Rec* again = pool.Take();
    EXPECT_EQ(again, taken[17]);
    EXPECT_EQ(again->mInits, 2);
    EXPECT_EQ(pool.Take(), nullptr);

    // And after it.
    taken[3998]->mPoolInUse = 0;
    EXPECT_EQ(pool.Take(), taken[3998]);
    EXPECT_TRUE(pool.Owns(taken[0]));
    Rec stranger;
    EXPECT_FALSE(pool.Owns(&stranger));
}

TEST(RecordPoolTest, TheSearchStartsAtTheLastTakenRecord)
{
    RecordPool<Rec> pool(4);
    Rec* a = pool.Take();
    Rec* b = pool.Take();
    a->mPoolInUse = 0;
    // The cursor stays on b: the next take finds the record after it, not a.
    Rec* c = pool.Take();
    EXPECT_NE(c, a);
    EXPECT_EQ(c, b + 1);
}

} // namespace
