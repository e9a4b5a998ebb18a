// Result codes of the display and sound stand-ins, with the numeric values
// their callers test and name: DirectDraw and Direct3D codes in facility
// 0x876, DirectSound codes in facility 0x878, and the shared COM codes.
#pragma once

#include "platform/video/DisplayTypes.h"

namespace Plat {

constexpr HResult MakeDdResult(uint32_t code)
{
    return static_cast<HResult>(0x88760000u | code);
}

constexpr HResult MakeDsResult(uint32_t code)
{
    return static_cast<HResult>(0x88780000u | code);
}

constexpr HResult DD_OK = 0;
constexpr HResult DS_OK = 0;

// Shared COM codes.
constexpr HResult E_NOTIMPL = static_cast<HResult>(0x80004001u);
constexpr HResult E_NOINTERFACE = static_cast<HResult>(0x80004002u);
constexpr HResult E_FAIL = static_cast<HResult>(0x80004005u);
constexpr HResult E_OUTOFMEMORY = static_cast<HResult>(0x8007000Eu);
constexpr HResult E_INVALIDARG = static_cast<HResult>(0x80070057u);
constexpr HResult CLASS_E_NOAGGREGATION = static_cast<HResult>(0x80040110u);
constexpr HResult CO_E_NOTINITIALIZED = static_cast<HResult>(0x800401F0u);

// DirectDraw codes that are COM codes.
constexpr HResult DDERR_GENERIC = E_FAIL;
constexpr HResult DDERR_INVALIDPARAMS = E_INVALIDARG;
constexpr HResult DDERR_NOTINITIALIZED = CO_E_NOTINITIALIZED;
constexpr HResult DDERR_OUTOFMEMORY = E_OUTOFMEMORY;
constexpr HResult DDERR_UNSUPPORTED = E_NOTIMPL;

// DirectDraw.
constexpr HResult DDERR_ALREADYINITIALIZED = MakeDdResult(5);
constexpr HResult DDERR_CANNOTATTACHSURFACE = MakeDdResult(10);
constexpr HResult DDERR_CANNOTDETACHSURFACE = MakeDdResult(20);
constexpr HResult DDERR_CURRENTLYNOTAVAIL = MakeDdResult(40);
constexpr HResult DDERR_EXCEPTION = MakeDdResult(55);
constexpr HResult DDERR_HEIGHTALIGN = MakeDdResult(90);
constexpr HResult DDERR_INCOMPATIBLEPRIMARY = MakeDdResult(95);
constexpr HResult DDERR_INVALIDCAPS = MakeDdResult(100);
constexpr HResult DDERR_INVALIDCLIPLIST = MakeDdResult(110);
constexpr HResult DDERR_INVALIDMODE = MakeDdResult(120);
constexpr HResult DDERR_INVALIDOBJECT = MakeDdResult(130);
constexpr HResult DDERR_INVALIDPIXELFORMAT = MakeDdResult(145);
constexpr HResult DDERR_INVALIDRECT = MakeDdResult(150);
constexpr HResult DDERR_LOCKEDSURFACES = MakeDdResult(160);
constexpr HResult DDERR_NO3D = MakeDdResult(170);
constexpr HResult DDERR_NOALPHAHW = MakeDdResult(180);
constexpr HResult DDERR_NOSTEREOHARDWARE = MakeDdResult(181);
constexpr HResult DDERR_NOSURFACELEFT = MakeDdResult(182);
constexpr HResult DDERR_NOCLIPLIST = MakeDdResult(205);
constexpr HResult DDERR_NOCOLORCONVHW = MakeDdResult(210);
constexpr HResult DDERR_NOCOOPERATIVELEVELSET = MakeDdResult(212);
constexpr HResult DDERR_NOCOLORKEY = MakeDdResult(215);
constexpr HResult DDERR_NOCOLORKEYHW = MakeDdResult(220);
constexpr HResult DDERR_NODIRECTDRAWSUPPORT = MakeDdResult(222);
constexpr HResult DDERR_NOEXCLUSIVEMODE = MakeDdResult(225);
constexpr HResult DDERR_NOFLIPHW = MakeDdResult(230);
constexpr HResult DDERR_NOGDI = MakeDdResult(240);
constexpr HResult DDERR_NOMIRRORHW = MakeDdResult(250);
constexpr HResult DDERR_NOTFOUND = MakeDdResult(255);
constexpr HResult DDERR_NOOVERLAYHW = MakeDdResult(260);
constexpr HResult DDERR_OVERLAPPINGRECTS = MakeDdResult(270);
constexpr HResult DDERR_NORASTEROPHW = MakeDdResult(280);
constexpr HResult DDERR_NOROTATIONHW = MakeDdResult(290);
constexpr HResult DDERR_NOSTRETCHHW = MakeDdResult(310);
constexpr HResult DDERR_NOT4BITCOLOR = MakeDdResult(316);
constexpr HResult DDERR_NOT4BITCOLORINDEX = MakeDdResult(317);
constexpr HResult DDERR_NOT8BITCOLOR = MakeDdResult(320);
constexpr HResult DDERR_NOTEXTUREHW = MakeDdResult(330);
constexpr HResult DDERR_NOVSYNCHW = MakeDdResult(335);
constexpr HResult DDERR_NOZBUFFERHW = MakeDdResult(340);
constexpr HResult DDERR_NOZOVERLAYHW = MakeDdResult(350);
constexpr HResult DDERR_OUTOFCAPS = MakeDdResult(360);
constexpr HResult DDERR_OUTOFVIDEOMEMORY = MakeDdResult(380);
constexpr HResult DDERR_OVERLAYCANTCLIP = MakeDdResult(382);
constexpr HResult DDERR_OVERLAYCOLORKEYONLYONEACTIVE = MakeDdResult(384);
constexpr HResult DDERR_PALETTEBUSY = MakeDdResult(387);
constexpr HResult DDERR_COLORKEYNOTSET = MakeDdResult(400);
constexpr HResult DDERR_SURFACEALREADYATTACHED = MakeDdResult(410);
constexpr HResult DDERR_SURFACEALREADYDEPENDENT = MakeDdResult(420);
constexpr HResult DDERR_SURFACEBUSY = MakeDdResult(430);
constexpr HResult DDERR_CANTLOCKSURFACE = MakeDdResult(435);
constexpr HResult DDERR_SURFACEISOBSCURED = MakeDdResult(440);
constexpr HResult DDERR_SURFACELOST = MakeDdResult(450);
constexpr HResult DDERR_SURFACENOTATTACHED = MakeDdResult(460);
constexpr HResult DDERR_TOOBIGHEIGHT = MakeDdResult(470);
constexpr HResult DDERR_TOOBIGSIZE = MakeDdResult(480);
constexpr HResult DDERR_TOOBIGWIDTH = MakeDdResult(490);
constexpr HResult DDERR_UNSUPPORTEDFORMAT = MakeDdResult(510);
constexpr HResult DDERR_UNSUPPORTEDMASK = MakeDdResult(520);
constexpr HResult DDERR_INVALIDSTREAM = MakeDdResult(521);
constexpr HResult DDERR_VERTICALBLANKINPROGRESS = MakeDdResult(537);
constexpr HResult DDERR_WASSTILLDRAWING = MakeDdResult(540);
constexpr HResult DDERR_XALIGN = MakeDdResult(560);
constexpr HResult DDERR_INVALIDDIRECTDRAWGUID = MakeDdResult(561);
constexpr HResult DDERR_DIRECTDRAWALREADYCREATED = MakeDdResult(562);
constexpr HResult DDERR_NODIRECTDRAWHW = MakeDdResult(563);
constexpr HResult DDERR_PRIMARYSURFACEALREADYEXISTS = MakeDdResult(564);
constexpr HResult DDERR_NOEMULATION = MakeDdResult(565);
constexpr HResult DDERR_REGIONTOOSMALL = MakeDdResult(566);
constexpr HResult DDERR_CLIPPERISUSINGHWND = MakeDdResult(567);
constexpr HResult DDERR_NOCLIPPERATTACHED = MakeDdResult(568);
constexpr HResult DDERR_NOHWND = MakeDdResult(569);
constexpr HResult DDERR_HWNDSUBCLASSED = MakeDdResult(570);
constexpr HResult DDERR_HWNDALREADYSET = MakeDdResult(571);
constexpr HResult DDERR_NOPALETTEATTACHED = MakeDdResult(572);
constexpr HResult DDERR_NOPALETTEHW = MakeDdResult(573);
constexpr HResult DDERR_BLTFASTCANTCLIP = MakeDdResult(574);
constexpr HResult DDERR_NOBLTHW = MakeDdResult(575);
constexpr HResult DDERR_NODDROPSHW = MakeDdResult(576);
constexpr HResult DDERR_OVERLAYNOTVISIBLE = MakeDdResult(577);
constexpr HResult DDERR_INVALIDPOSITION = MakeDdResult(579);
constexpr HResult DDERR_NOTAOVERLAYSURFACE = MakeDdResult(580);
constexpr HResult DDERR_EXCLUSIVEMODEALREADYSET = MakeDdResult(581);
constexpr HResult DDERR_NOTFLIPPABLE = MakeDdResult(582);
constexpr HResult DDERR_CANTDUPLICATE = MakeDdResult(583);
constexpr HResult DDERR_NOTLOCKED = MakeDdResult(584);
constexpr HResult DDERR_CANTCREATEDC = MakeDdResult(585);
constexpr HResult DDERR_NODC = MakeDdResult(586);
constexpr HResult DDERR_WRONGMODE = MakeDdResult(587);
constexpr HResult DDERR_IMPLICITLYCREATED = MakeDdResult(588);
constexpr HResult DDERR_NOTPALETTIZED = MakeDdResult(589);
constexpr HResult DDERR_UNSUPPORTEDMODE = MakeDdResult(590);
constexpr HResult DDERR_NOMIPMAPHW = MakeDdResult(591);
constexpr HResult DDERR_INVALIDSURFACETYPE = MakeDdResult(592);
constexpr HResult DDERR_NOOPTIMIZEHW = MakeDdResult(600);
constexpr HResult DDERR_NOTLOADED = MakeDdResult(601);
constexpr HResult DDERR_NOFOCUSWINDOW = MakeDdResult(602);
constexpr HResult DDERR_DCALREADYCREATED = MakeDdResult(620);
constexpr HResult DDERR_NONONLOCALVIDMEM = MakeDdResult(630);
constexpr HResult DDERR_CANTPAGELOCK = MakeDdResult(640);
constexpr HResult DDERR_CANTPAGEUNLOCK = MakeDdResult(660);
constexpr HResult DDERR_NOTPAGELOCKED = MakeDdResult(680);
constexpr HResult DDERR_MOREDATA = MakeDdResult(690);
constexpr HResult DDERR_EXPIRED = MakeDdResult(691);
constexpr HResult DDERR_VIDEONOTACTIVE = MakeDdResult(695);
constexpr HResult DDERR_DEVICEDOESNTOWNSURFACE = MakeDdResult(699);

// Direct3D.
constexpr HResult D3DERR_BADMAJORVERSION = MakeDdResult(700);
constexpr HResult D3DERR_BADMINORVERSION = MakeDdResult(701);
constexpr HResult D3DERR_INVALID_DEVICE = MakeDdResult(705);
constexpr HResult D3DERR_INITFAILED = MakeDdResult(706);
constexpr HResult D3DERR_DEVICEAGGREGATED = MakeDdResult(710);
constexpr HResult D3DERR_TEXTURE_NO_SUPPORT = MakeDdResult(720);
constexpr HResult D3DERR_TEXTURE_CREATE_FAILED = MakeDdResult(721);
constexpr HResult D3DERR_TEXTURE_DESTROY_FAILED = MakeDdResult(722);
constexpr HResult D3DERR_TEXTURE_LOCK_FAILED = MakeDdResult(723);
constexpr HResult D3DERR_TEXTURE_UNLOCK_FAILED = MakeDdResult(724);
constexpr HResult D3DERR_TEXTURE_LOAD_FAILED = MakeDdResult(725);
constexpr HResult D3DERR_TEXTURE_SWAP_FAILED = MakeDdResult(726);
constexpr HResult D3DERR_TEXTURE_LOCKED = MakeDdResult(727);
constexpr HResult D3DERR_TEXTURE_NOT_LOCKED = MakeDdResult(728);
constexpr HResult D3DERR_TEXTURE_GETSURF_FAILED = MakeDdResult(729);
constexpr HResult D3DERR_MATRIX_CREATE_FAILED = MakeDdResult(730);
constexpr HResult D3DERR_MATRIX_DESTROY_FAILED = MakeDdResult(731);
constexpr HResult D3DERR_MATRIX_SETDATA_FAILED = MakeDdResult(732);
constexpr HResult D3DERR_MATRIX_GETDATA_FAILED = MakeDdResult(733);
constexpr HResult D3DERR_SETVIEWPORTDATA_FAILED = MakeDdResult(734);
constexpr HResult D3DERR_INVALIDCURRENTVIEWPORT = MakeDdResult(735);
constexpr HResult D3DERR_INVALIDPRIMITIVETYPE = MakeDdResult(736);
constexpr HResult D3DERR_INVALIDVERTEXTYPE = MakeDdResult(737);
constexpr HResult D3DERR_TEXTURE_BADSIZE = MakeDdResult(738);
constexpr HResult D3DERR_INVALIDRAMPTEXTURE = MakeDdResult(739);
constexpr HResult D3DERR_MATERIAL_CREATE_FAILED = MakeDdResult(740);
constexpr HResult D3DERR_MATERIAL_DESTROY_FAILED = MakeDdResult(741);
constexpr HResult D3DERR_MATERIAL_SETDATA_FAILED = MakeDdResult(742);
constexpr HResult D3DERR_MATERIAL_GETDATA_FAILED = MakeDdResult(743);
constexpr HResult D3DERR_INVALIDPALETTE = MakeDdResult(744);
constexpr HResult D3DERR_ZBUFF_NEEDS_SYSTEMMEMORY = MakeDdResult(745);
constexpr HResult D3DERR_ZBUFF_NEEDS_VIDEOMEMORY = MakeDdResult(746);
constexpr HResult D3DERR_SURFACENOTINVIDMEM = MakeDdResult(747);
constexpr HResult D3DERR_LIGHT_SET_FAILED = MakeDdResult(750);
constexpr HResult D3DERR_LIGHTHASVIEWPORT = MakeDdResult(751);
constexpr HResult D3DERR_LIGHTNOTINTHISVIEWPORT = MakeDdResult(752);
constexpr HResult D3DERR_SCENE_IN_SCENE = MakeDdResult(760);
constexpr HResult D3DERR_SCENE_NOT_IN_SCENE = MakeDdResult(761);
constexpr HResult D3DERR_SCENE_BEGIN_FAILED = MakeDdResult(762);
constexpr HResult D3DERR_SCENE_END_FAILED = MakeDdResult(763);
constexpr HResult D3DERR_INBEGIN = MakeDdResult(770);
constexpr HResult D3DERR_NOTINBEGIN = MakeDdResult(771);
constexpr HResult D3DERR_NOVIEWPORTS = MakeDdResult(780);
constexpr HResult D3DERR_VIEWPORTDATANOTSET = MakeDdResult(781);
constexpr HResult D3DERR_VIEWPORTHASNODEVICE = MakeDdResult(782);
constexpr HResult D3DERR_NOCURRENTVIEWPORT = MakeDdResult(783);
constexpr HResult D3DERR_INVALIDVERTEXFORMAT = MakeDdResult(2048);
constexpr HResult D3DERR_COLORKEYATTACHED = MakeDdResult(2050);
constexpr HResult D3DERR_VERTEXBUFFEROPTIMIZED = MakeDdResult(2060);
constexpr HResult D3DERR_VBUF_CREATE_FAILED = MakeDdResult(2061);
constexpr HResult D3DERR_VERTEXBUFFERLOCKED = MakeDdResult(2062);
constexpr HResult D3DERR_VERTEXBUFFERUNLOCKFAILED = MakeDdResult(2063);
constexpr HResult D3DERR_ZBUFFER_NOTPRESENT = MakeDdResult(2070);
constexpr HResult D3DERR_STENCILBUFFER_NOTPRESENT = MakeDdResult(2071);
constexpr HResult D3DERR_WRONGTEXTUREFORMAT = MakeDdResult(2072);
constexpr HResult D3DERR_UNSUPPORTEDCOLOROPERATION = MakeDdResult(2073);
constexpr HResult D3DERR_UNSUPPORTEDCOLORARG = MakeDdResult(2074);
constexpr HResult D3DERR_UNSUPPORTEDALPHAOPERATION = MakeDdResult(2075);
constexpr HResult D3DERR_UNSUPPORTEDALPHAARG = MakeDdResult(2076);
constexpr HResult D3DERR_TOOMANYOPERATIONS = MakeDdResult(2077);
constexpr HResult D3DERR_CONFLICTINGTEXTUREFILTER = MakeDdResult(2078);
constexpr HResult D3DERR_UNSUPPORTEDFACTORVALUE = MakeDdResult(2079);
constexpr HResult D3DERR_CONFLICTINGRENDERSTATE = MakeDdResult(2081);
constexpr HResult D3DERR_UNSUPPORTEDTEXTUREFILTER = MakeDdResult(2082);
constexpr HResult D3DERR_TOOMANYPRIMITIVES = MakeDdResult(2083);
constexpr HResult D3DERR_INVALIDMATRIX = MakeDdResult(2084);
constexpr HResult D3DERR_CONFLICTINGTEXTUREPALETTE = MakeDdResult(2086);
constexpr HResult D3DERR_INVALIDSTATEBLOCK = MakeDdResult(2100);
constexpr HResult D3DERR_INBEGINSTATEBLOCK = MakeDdResult(2101);
constexpr HResult D3DERR_NOTINBEGINSTATEBLOCK = MakeDdResult(2102);

// DirectSound codes that are COM codes.
constexpr HResult DSERR_GENERIC = E_FAIL;
constexpr HResult DSERR_NOINTERFACE = E_NOINTERFACE;
constexpr HResult DSERR_NOAGGREGATION = CLASS_E_NOAGGREGATION;
constexpr HResult DSERR_OUTOFMEMORY = E_OUTOFMEMORY;

// DirectSound.
constexpr HResult DSERR_ALLOCATED = MakeDsResult(10);
constexpr HResult DSERR_CONTROLUNAVAIL = MakeDsResult(30);
constexpr HResult DSERR_INVALIDCALL = MakeDsResult(50);
constexpr HResult DSERR_PRIOLEVELNEEDED = MakeDsResult(70);
constexpr HResult DSERR_BADFORMAT = MakeDsResult(100);
constexpr HResult DSERR_NODRIVER = MakeDsResult(120);
constexpr HResult DSERR_ALREADYINITIALIZED = MakeDsResult(130);
constexpr HResult DSERR_BUFFERLOST = MakeDsResult(150);
constexpr HResult DSERR_OTHERAPPHASPRIO = MakeDsResult(160);
constexpr HResult DSERR_UNINITIALIZED = MakeDsResult(170);

} // namespace Plat
