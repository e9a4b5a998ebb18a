float a = LUMO_M(2.5f); // LUMO_M(1)
int b = LUMO_M(0x1F) + M2(-3);
char q = '"'; auto r = R"x(LUMO_M(5))x";
const char* s = LUMO_M("a\tb\\"q");
/* LUMO_M(8)
*/ int c = 1'000 + ITEM(3);
const char* t = "on \
LUMO_M(4)";
