// Writing a stage as object XML lines: the stage itself, then its attribute
// targets, its filters and its events one level deeper.
#include "game/engine/Stage.h"

#include "game/engine/EngineUtilities.h"
#include "game/engine/ObjectEvent.h"
#include "game/engine/StageNames.h"

void Stage::WriteXml(std::string& out, int depth) const
{
    WriteXmlIndent(out, depth);
    out += "<stage";
    WriteXmlStringAttribute(out, "name", mName);
    WriteXmlFloatAttribute(out, "ms", mLength * 4.0f);
    WriteXmlIntAttribute(out, "loop_start", mLoopStart);
    WriteXmlIntAttribute(out, "loop_end", mLoopEnd);
    WriteXmlIntAttribute(out, "visible", mVisible);
    out += ">\n";
    WriteAttributeLines(out, depth + 1);
    WriteFilterLines(out, depth + 1);
    WriteEventLines(out, depth + 1);
}

void Stage::WriteAttributeLines(std::string& out, int depth) const
{
    for (int code = 0; code < kAttributeCount; ++code) {
        if ((mMask & (1u << code)) == 0)
            continue;
        WriteXmlIndent(out, depth);
        out += "<attribute";
        WriteXmlStringAttribute(out, "type", AttributeName(code));
        WriteXmlFloatAttribute(out, "start", mStart[code]);
        WriteXmlFloatAttribute(out, "end", mEnd[code]);
        out += ">\n";
    }
}

void Stage::WriteFilterLines(std::string& out, int depth) const
{
    // Filters with a duration of their own are made by game code, not data.
    for (const Filter* filter = mFilters.Head(); filter != nullptr; filter = filter->mNext) {
        if (filter->mOwnLength != 0.0f)
            continue;
        WriteXmlIndent(out, depth);
        out += "<filter";
        WriteXmlStringAttribute(out, "type", EasingName(filter->mType));
        WriteXmlStringAttribute(out, "attribute", AttributeName(filter->mAttribute));
        WriteXmlFloatAttribute(out, "amplitude", filter->mAmplitude);
        WriteXmlFloatAttribute(out, "period", filter->mPeriod);
        WriteXmlFloatAttribute(out, "offset", filter->mOffset);
        out += ">\n";
    }
}

void Stage::WriteEventLines(std::string& out, int depth) const
{
    for (const ObjectEvent* event = mEvents.Head(); event != nullptr; event = event->mNext) {
        WriteXmlIndent(out, depth);
        out += "<event";
        WriteXmlStringAttribute(out, "type", ObjectEvent::TriggerName(event->mTrigger));
        WriteXmlStringAttribute(out, "action", ObjectEvent::ActionName(event->mAction));
        WriteXmlStringAttribute(out, "parm1", event->mParm1);
        WriteXmlStringAttribute(out, "parm2", event->mParm2);
        WriteXmlStringAttribute(out, "parm3", event->mParm3);
        WriteXmlStringAttribute(out, "parm4", event->mParm4);
        WriteXmlStringAttribute(out, "alt_key", ObjectEvent::AltKeyName(event->mAltKey).c_str());
        out += ">\n";
    }
}
