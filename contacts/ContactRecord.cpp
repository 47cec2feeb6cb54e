#include "contacts/ContactRecord.h"

namespace vantrel {

std::u16string_view phoneTypeName(uint32_t propertyId) {
    switch (propertyId) {
    case prop::mobile:
        return u"mobile";
    case prop::business:
        return u"business1";
    case prop::business2:
        return u"business2";
    case prop::home:
        return u"home1";
    case prop::home2:
        return u"home2";
    case prop::pager:
        return u"pager";
    case prop::car:
        return u"car";
    case prop::radio:
        return u"radio";
    case prop::companyPhone:
        return u"company";
    case prop::assistant:
        return u"assistant";
    default:
        return u"%s";
    }
}

} // namespace vantrel
