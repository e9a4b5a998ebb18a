// Names of attributes and easing kinds as written in object XML.
#pragma once

// "x_scale" .. "all"; an absent or unknown name gives kAttrAll.
int AttributeCodeFromName(const char* name);
// "all" for kAttrAll and for any unknown code.
const char* AttributeName(int code);

// "super_cos" .. "velocity"; an absent or unknown name gives 0 ("super_cos").
int EasingKindFromName(const char* name);
// An empty text for a kind without a name.
const char* EasingName(int kind);
