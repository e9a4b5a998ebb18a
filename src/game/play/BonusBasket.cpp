#include "game/play/BonusBasket.h"

#include "game/engine/EngineUtilities.h"

void BonusBasket::WriteTypeAttributes(std::string& out)
{
    WriteXmlStringAttribute(out, "type", "bonus_basket");
}

void BonusBasket::OnCustomAction(const char*) {}

int BonusBasket::Update()
{
    return AnimObject::Update();
}
