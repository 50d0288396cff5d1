// Collections: items made by the collection's factory, their order, ids, updates and copies.
#include <gtest/gtest.h>

#include <vector>

#include "vcl/classes.h"

namespace {

class TNamedItem : public TCollectionItem {
public:
    explicit TNamedItem(TCollection* c) : TCollectionItem(c) {}
    String name;
    void SetName(const String& n)
    {
        name = n;
        Changed(false);
    }
    void Assign(const TPersistent* source) override
    {
        if (auto* o = dynamic_cast<const TNamedItem*>(source)) name = o->name;
        else TCollectionItem::Assign(source);
    }
};

class TLoggedCollection : public TCollection {
public:
    TLoggedCollection() : TCollection(nullptr, ItemsOf<TNamedItem>()) {}
    std::vector<String> log;

protected:
    void Update(TCollectionItem* item) override
    {
        log.push_back(item ? L"update " + static_cast<TNamedItem*>(item)->name : String(L"update all"));
    }
};

std::vector<String> Names(const TCollection& c)
{
    std::vector<String> out;
    for (int i = 0; i < c.Count(); ++i) out.push_back(static_cast<TNamedItem*>(c.Items(i))->name);
    return out;
}

}  // namespace

TEST(Collections, ItemsKeepOrderIdsAndReportChanges)
{
    TLoggedCollection c;
    for (const wchar_t* n : {L"a", L"b", L"c"}) static_cast<TNamedItem*>(c.Add())->SetName(n);
    EXPECT_EQ(Names(c), (std::vector<String>{L"a", L"b", L"c"}));
    int idOfB = c.Items(1)->ID();
    c.Items(2)->SetIndex(0);
    EXPECT_EQ(Names(c), (std::vector<String>{L"c", L"a", L"b"}));
    EXPECT_EQ(c.FindItemID(idOfB), c.Items(2));
    c.Delete(1);
    EXPECT_EQ(Names(c), (std::vector<String>{L"c", L"b"}));
    EXPECT_EQ(c.FindItemID(idOfB)->Index(), 1);
    // An item deleted on its own leaves the collection.
    delete c.Items(0);
    EXPECT_EQ(Names(c), (std::vector<String>{L"b"}));

    c.log.clear();
    c.BeginUpdate();
    static_cast<TNamedItem*>(c.Add())->SetName(L"d");
    static_cast<TNamedItem*>(c.Insert(0))->SetName(L"e");
    EXPECT_TRUE(c.log.empty());
    c.EndUpdate();
    EXPECT_EQ(c.log, (std::vector<String>{L"update all"}));
    EXPECT_EQ(Names(c), (std::vector<String>{L"e", L"b", L"d"}));
    c.log.clear();
    static_cast<TNamedItem*>(c.Items(1))->SetName(L"B");
    EXPECT_EQ(c.log, (std::vector<String>{L"update B"}));

    TLoggedCollection copy;
    copy.Assign(&c);
    EXPECT_EQ(Names(copy), Names(c));
    EXPECT_THROW(c.Items(5), EListError);
    c.Clear();
    EXPECT_EQ(c.Count(), 0);
}
