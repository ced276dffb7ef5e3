#pragma once

// How the store names a user's fill-ups: a key per field, numbered with the
// record (Date12, Tanko12 ...), and the count TotEntry. Known to the fill-up
// log's own files alone (FillUpList.cpp, FillUps.cpp).

#include "core/records/FillUpList.h"

#include <QByteArrayView>
#include <QStringView>

namespace FillUpKeys
{
// By field, in FillUpList::Field's order.
inline constexpr const char16_t* Prefix[FillUpList::FieldCount] = {u"Date",   u"Tanko", u"Pay",
                                                                   u"PayCom", u"Kms",   u"Ltrs"};
// The same folded, as the store's scan gives them.
inline constexpr const char* Folded[FillUpList::FieldCount] = {"date", "tanko", "pay", "paycom", "kms", "ltrs"};
inline constexpr char16_t Count[] = u"TotEntry";
inline constexpr char CountFolded[] = "totentry";
} // namespace FillUpKeys
