// The text of ASSOCIATORS OF and REFERENCES OF queries: the path between the braces and
// the keywords of the WHERE part.
#include <gtest/gtest.h>

#include "platform/WqlAssociation.h"
#include "rtl/WideString.h"

namespace veskin {
namespace {

TEST(WqlAssociation, ParsesThePathAndTheWhereKeywords) {
    WqlAssociationQuery q;
    ASSERT_EQ(WqlParseAssociation(u"associators of {Win32_Process.Handle=\"4{2}\"} WHERE ResultClass = Win32_ComputerSystem "
                                  u"assocclass=CIM_Component ROLE = PartComponent ResultRole = GroupComponent KeysOnly",
                                  q),
              S_OK);
    EXPECT_FALSE(q.References);
    EXPECT_EQ(q.ObjectPath, u"Win32_Process.Handle=\"4{2}\"");  // a brace inside quotes is part of the value
    EXPECT_EQ(q.ResultClass, u"Win32_ComputerSystem");
    EXPECT_EQ(q.AssocClass, u"CIM_Component");
    EXPECT_EQ(q.Role, u"PartComponent");
    EXPECT_EQ(q.ResultRole, u"GroupComponent");
    EXPECT_TRUE(q.KeysOnly);
    ASSERT_EQ(WqlParseAssociation(u"  REFERENCES OF { Win32_NetworkAdapter.DeviceID=\"2\" }  WHERE ClassDefsOnly", q), S_OK);
    EXPECT_TRUE(q.References);
    EXPECT_TRUE(q.ClassDefsOnly);
    EXPECT_EQ(q.ObjectPath, u"Win32_NetworkAdapter.DeviceID=\"2\"");
    EXPECT_TRUE(WqlIsAssociationQuery(u" references of {x}"));
    EXPECT_FALSE(WqlIsAssociationQuery(u"SELECT * FROM References"));

    for (const char16_t* bad :
         {u"ASSOCIATORS {Win32_Process=1}", u"ASSOCIATORS OF Win32_Process", u"ASSOCIATORS OF {}",
          u"ASSOCIATORS OF {Win32_Process.Handle=\"1}", u"ASSOCIATORS OF {A=1} WHERE", u"ASSOCIATORS OF {A=1} ResultClass = B",
          u"ASSOCIATORS OF {A=1} WHERE ResultClass", u"ASSOCIATORS OF {A=1} WHERE ResultClass = 'B'",
          u"ASSOCIATORS OF {A=1} WHERE Role = X Role = Y", u"ASSOCIATORS OF {A=1} WHERE KeysOnly = 1",
          u"ASSOCIATORS OF {A=1} WHERE Nonsense", u"ASSOCIATORS OF {A=1} WHERE ClassDefsOnly KeysOnly",
          u"ASSOCIATORS OF {A=1} WHERE Role = X AND ResultClass = Y", u"REFERENCES OF {A=1} WHERE ResultRole = X",
          u"REFERENCES OF {A=1} WHERE AssocClass = X", u"REFERENCES {A=1}", u"REFERENCES OF {A=1} #"})
        EXPECT_EQ(WqlParseAssociation(bad, q), WBEM_E_INVALID_QUERY) << WideToAnsi(bad);
}

}  // namespace
}  // namespace veskin
