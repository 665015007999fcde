#include "kit/foundation/errors/IOKitError.h"

IOKitError::IOKitError(std::int32_t returnValue, QVariantMap userInfo)
    : m_returnValue(returnValue)
    , m_userInfo(std::move(userInfo))
{
    setWhat(localizedDescription());
}
