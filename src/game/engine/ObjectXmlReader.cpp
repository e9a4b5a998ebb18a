#include "game/engine/ObjectXmlReader.h"

#include "game/engine/LoadMessages.h"

#include <cstring>
#include <utility>

ObjectXmlReader::ObjectXmlReader(const char* text, std::string fileName)
    : mPosition(text != nullptr ? text : ""), mCounted(mPosition), mFileName(std::move(fileName))
{
}

void ObjectXmlReader::CountLinesUpTo(const char* position)
{
    while (mCounted < position) {
        const void* lineEnd = std::memchr(mCounted, '\n', size_t(position - mCounted));
        if (lineEnd == nullptr)
            break;
        ++mLine;
        mCounted = static_cast<const char*>(lineEnd) + 1;
    }
    mCounted = position;
}

bool ObjectXmlReader::Next(ObjectXmlElement& element)
{
    if (mFailed)
        return false;
    const char* const before = mPosition;
    mPosition = ReadNextXmlTag(mPosition, element);
    element.SetReader(this);
    if (element.HasError()) {
        // The problem lies after the last tag: point at the '<' that starts it.
        const char* start = std::strchr(before, '<');
        CountLinesUpTo(start != nullptr ? start : mPosition);
        Fail(element.GetError());
        return false;
    }
    if (element.GetTagStart() == nullptr) {
        CountLinesUpTo(mPosition);
        return false;
    }
    CountLinesUpTo(element.GetTagStart());
    for (const std::string& warning : element.GetWarnings())
        Report(warning);
    return true;
}

void ObjectXmlReader::Report(const std::string& what) const
{
    LoadMessages::Report(mFileName, mLine, what);
}

void ObjectXmlReader::Fail(const std::string& what)
{
    Report(what);
    mFailed = true;
}
