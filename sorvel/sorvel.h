// Sorvel: a small windowing and rendering library for OpenGL 1.1 programs.
//
// One OpenGL window per process, a window procedure that keeps keyboard and
// mouse state, a non-blocking message pump, projection, light and
// render-state helpers, a mouse camera, normals and textured boxes, a
// sprite-sheet animation, and two numbered texture tables (BMP and TGA).
//
// The library is procedural: every global below is public state that the
// program reads and writes directly. Everything runs on one thread, the one
// that created the window and owns its GL context.
#pragma once

#include <GL/gl.h>

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/win32.h"

namespace sorvel {

// Stops the program: an index outside a table's bounds is a programming
// error. Prints the table, the index and the bounds on standard error.
[[noreturn]] void range_error(const char* table, long long index, long long low, long long high);

// A fixed-size table indexed from Low to High, every index checked.
template <class T, long long Low, long long High>
class CheckedTable {
 public:
  static_assert(Low <= High);
  constexpr explicit CheckedTable(const char* name) : name_(name), items_{} {}

  T& operator[](long long index) {
    if (index < Low || index > High) range_error(name_, index, Low, High);
    return items_[static_cast<std::size_t>(index - Low)];
  }
  const T& operator[](long long index) const {
    if (index < Low || index > High) range_error(name_, index, Low, High);
    return items_[static_cast<std::size_t>(index - Low)];
  }

  static constexpr long long low() { return Low; }
  static constexpr long long high() { return High; }
  // The entries as one block, from index Low.
  T* data() { return items_.data(); }
  const T* data() const { return items_.data(); }
  void fill(const T& value) { items_.fill(value); }

 private:
  const char* name_;
  std::array<T, static_cast<std::size_t>(High - Low + 1)> items_;
};

}  // namespace sorvel

// ============================================================================
// Shared types
// ============================================================================

struct TGLVECTOR {
  float X;
  float Y;
  float Z;
};

// A screen or client position.
struct TPOINT {
  std::int32_t X;
  std::int32_t Y;
};

// ============================================================================
// Window lifecycle
// ============================================================================

// Cursor kinds (the class cursor of the window).
constexpr std::int32_t ARROW = 1;
constexpr std::int32_t IBEAM = 2;
constexpr std::int32_t WAIT = 3;
constexpr std::int32_t CROSS = 4;
constexpr std::int32_t UPARROW = 5;
constexpr std::int32_t SIZE = 6;
constexpr std::int32_t FILECURSOR = 7;  // loaded from CURSORFILE
constexpr std::int32_t SIZENWSE = 8;
constexpr std::int32_t SIZENESW = 9;
constexpr std::int32_t SIZEWE = 10;
constexpr std::int32_t SIZENS = 11;
constexpr std::int32_t SIZEALL = 12;
constexpr std::int32_t NOCURSOR = 13;
constexpr std::int32_t HAND = 14;
constexpr std::int32_t APPSTARTING = 15;
constexpr std::int32_t HELP = 16;

// Icon kinds (the class icon of the window).
constexpr std::int32_t GENERIC = 1;
constexpr std::int32_t FILEICON = 2;  // loaded from ICONFILE with the cursor-file loader

extern HWND HWINDOW;
extern HDC DCWINDOW;
extern HGLRC RCWINDOW;
extern std::int32_t WIDTH;   // outer width asked for, or the screen's in full screen
extern std::int32_t HEIGHT;  // outer height asked for, or the screen's in full screen
extern std::int32_t BITS;
extern bool FULLSCREEN;
extern bool ACTIVE;  // the window is alive: the frame loop runs while it is true
extern std::int32_t SETTYPECURSOR;
extern std::int32_t SETTYPEICON;
extern const char* CURSORFILE;  // kept by pointer, not copied
extern const char* ICONFILE;
extern void (*CREATEMENUBAR)();
extern void (*CREATEMOUSEMENU)();
extern WNDPROC GETINPUTCOMMAND;
extern bool SHOWMENUBAR;  // enables the three callbacks above
extern bool SHOWSTATUSBAR;
extern HWND HSTATUS;
extern HWND AWND;
extern char FILENAME[261];
extern sorvel::CheckedTable<std::int32_t, 1, 20> STATUSITEM;
extern std::int32_t MAXSTATUSITEM;
extern sorvel::CheckedTable<std::int32_t, 1, 20> EDGES;
extern std::uint32_t OBJNULL;
extern bool FOGONOFF;
extern std::string SORVELVERSION;

void OGLWINDOWSETTING(std::int32_t TYPECURSOR, const char* CURFILE, std::int32_t TYPEICON, const char* ICOFILE);
// Creates the window and its GL context and leaves the context current. On
// any failure it shows an error box and ends the process: it never returns
// false.
bool CREATEOGLWINDOW(const char* APPNAME, std::int32_t APPWIDTH, std::int32_t APPHEIGHT, std::int32_t APPBITS,
                     bool APPFULLSCREEN);
void DELETEOGLWINDOW();
HWND CREATESTATUSBAR(HWND PARENT);

// ============================================================================
// Window procedure, message pump and input state
// ============================================================================

extern sorvel::CheckedTable<std::int32_t, 0, 500> SETKEY;  // 0 up, -1 down
extern bool LEFTMOUSEDOWN;
extern bool RIGHTMOUSEDOWN;
extern bool LEFTMOUSEDOWN2;
extern bool RIGHTMOUSEDOWN2;
extern bool MOUSEFREE;  // mouse-look mode
extern float XROT;
extern float YROT;
extern float XROT2;
extern float YROT2;
extern float DEPTH;
extern float DEPTH2;
extern std::int32_t XCOORD;
extern std::int32_t YCOORD;
extern std::int32_t ZCOORD;
extern std::int32_t SETMX;
extern std::int32_t SETMY;
extern std::int32_t SETOMX;
extern std::int32_t SETOMY;
extern TPOINT MPOS;
extern std::int32_t MSPEED;
extern std::uint32_t START;
extern MSG MSG_;

LRESULT GLWNDPROC(HWND WINDOW, UINT AMESSAGE, WPARAM wparam, LPARAM lparam);
// Takes at most one waiting message off the queue and dispatches it; never waits.
void SETGLMSG();

// ============================================================================
// Projection and view set-up
// ============================================================================

extern float OFFX;
extern float OFFY;

void OPENGL_INIT(double DEPTH, double A, double R, double G, double B);
void OPENGL_I2D(double A, double R, double G, double B);
void SETPOSXY(float X, float Y);
void LOCKVIEWMODELBEGIN(float X, float Y, float Z);
void LOCKVIEWMODELEND();
float RADTODEG(float RADIAN);

// ============================================================================
// Lights and render-state switches
// ============================================================================

extern GLfloat AMBIENTLIGHT[4];
extern GLfloat DIFFUSELIGHT[4];
extern GLfloat SPECULARLIGHT[4];
extern GLfloat LIGHTPOSITION[4];

void SETGLLIGHT(GLuint NLIGHT, float L0, float L1, float L2, float L3);
void PUTGLPOINTLIGHT(GLuint NLIGHT, float SIZE, float LX, float LY, float LZ, float LVAL);
void TWOSIDEON();
void TWOSIDEOFF();
void SETGLREFRACTIVE();
void SETGLSPRITE(bool LIGHT);  // blended, without depth writes
void SETGLSPRITE();            // cut out by the alpha test
void SETGLSPRITEOFF();

// ============================================================================
// Mouse-driven camera
// ============================================================================

constexpr std::int32_t GL_M0 = 0;
constexpr std::int32_t GL_MX = 1;
constexpr std::int32_t GL_MY = 2;
constexpr std::int32_t GL_MZ = 3;
constexpr std::int32_t GL_ML = 1;
constexpr std::int32_t GL_MR = 2;
constexpr std::int32_t GL_MOFF = 3;

extern TGLVECTOR MY;

void SETGLMOUSEMOVE(std::int32_t XYZ, std::int32_t SPEED);

// ============================================================================
// Normals and solid primitives
// ============================================================================

extern sorvel::CheckedTable<double, 1, 3> FNORMAL;

void FINDNORMAL(double V1X, double V1Y, double V1Z, double V2X, double V2Y, double V2Z, double V3X, double V3Y,
                double V3Z);
void LINEFREE(float TX1, float TY1, float TX2, float TY2, float X1, float Y1, float Z1, float X2, float Y2, float Z2,
              bool TEXTURE);
void CUBO(float X, float Y, float Z, float X1, float Y1, float Z1, float X2, float Y2, float Z2, float TSIZE);

// ============================================================================
// Sprite-sheet animation
// ============================================================================

struct TGLFX_3DANIMATION {
  std::int32_t ROWS;     // cells across the sheet's width
  std::int32_t COLUMNS;  // cells down the sheet's height
  TGLVECTOR V;           // V.X, V.Y: offsets of the current cell
  float POS;             // progress towards the next cell
};

void FX_3DANIMATION(TGLFX_3DANIMATION& ANIM, float X, float Y, float Z, float SX, float SY, std::int32_t ROWS,
                    std::int32_t COLUMNS, float TIME, bool LOCK, bool FOG, bool LIGHT, bool ALPHA);

// ============================================================================
// BMP texture table
// ============================================================================

extern sorvel::CheckedTable<GLuint, 0, 500> TEXTUREID2;

void TEXTURELOADID(const char* BMPFILE, std::int32_t NUM);
void TEXTURESELECTID(std::int32_t NUM);
void SWAPRGB(void* DATA, std::int32_t SIZE);

// ============================================================================
// TGA file reader and TGA texture table
// ============================================================================

struct TGATEXTURE {
  std::uint8_t* IMAGEDATA;  // from std::malloc; its holder releases it with std::free
  std::uint32_t BPP;
  std::uint32_t WIDTH;
  std::uint32_t HEIGHT;
  std::uint32_t TEXID;
  std::uint32_t TYP;
};

struct TTGAHEADER {
  std::uint8_t HEADER[12];
};

struct TTGA {
  std::uint8_t HEADER[6];
  std::uint32_t BYTESPERPIXEL;
  std::uint32_t IMAGESIZE;
  std::uint32_t TYP;
  std::uint32_t HEIGH;
  std::uint32_t WIDTH;
  std::uint32_t BPP;
};

extern TTGAHEADER TGAHEADER;
extern TTGA TGA;
extern const std::uint8_t UTGACOMPARE[12];
extern const std::uint8_t CTGACOMPARE[12];
// The image file being read, as a file descriptor; -1 at rest.
extern int FTGA;

// Reads a TGA file of type 2 or 10 at 24 or 32 bits into TEXTURE. Every
// failure shows one message box and gives false; the file is closed on
// every path.
bool LOADTGA(TGATEXTURE& TEXTURE, std::string_view FILENAME);

extern sorvel::CheckedTable<TGATEXTURE, 0, 200> TEXTURETGA2;

void TEXTURELOADTGAID(std::string_view TGAFILE, std::int32_t NUM);
void TEXTURETGASELECTID(std::int32_t NUM);
