#pragma once
// The opcode table of the compiled log: every record kind the program knows,
// with its opcode, the packed payload structure that lies in the file
// (TflFormat.h) and the name it has in a trace. The enum tfl::Opcode,
// tfl::PayloadSize, tfl::OpcodeName and the interpreter's dispatch are all
// made from this one list, so a record kind is added in one place.
//
// The length word rule. Every record is framed as
//   word opcode, word payload length, payload
// and the length word is only trusted for opcodes this table does not know:
//  - a known opcode's payload has the fixed size of its structure, whatever
//    the length word says (a writer's wrong length word cannot shift the
//    records after it);
//  - an opcode not in the table (0, 9, a header record 300 after the first
//    record, anything else) is skipped by its length word.
//
// X(Name, opcode, PayloadRecord, "trace_name")
#define KORVALE_TFL_OPCODES(X)                                      \
  X(GraphFrame, 1, GraphFrameRecord, "graph_frame")                 \
  X(Arc, 2, ArcRecord, "arc")                                       \
  X(Circle, 3, CircleRecord, "circle")                              \
  X(Color, 4, ColorRecord, "color")                                 \
  X(Orientation, 5, OrientationRecord, "orientation")               \
  X(OrientationSize, 6, OrientationSizeRecord, "orientation_size")  \
  X(EndGroup, 7, EndGroupRecord, "end_group")                       \
  X(Grid, 8, GridRecord, "grid")                                    \
  X(Vector, 10, VectorRecord, "vector")                             \
  X(Pattern, 11, PatternRecord, "pattern")                          \
  X(Point, 12, PointRecord, "point")                                \
  X(Polyfill, 13, PolyfillRecord, "polyfill")                       \
  X(Polyline, 14, PolylineRecord, "polyline")                       \
  X(PolarLine, 15, PolarLineRecord, "polar_line")                   \
  X(VectorRectangle, 16, VectorRectangleRecord, "vector_rectangle") \
  X(Rectangle, 17, RectangleRecord, "rectangle")                    \
  X(Sector, 18, SectorRecord, "sector")                             \
  X(PenStyle, 19, PenStyleRecord, "pen_style")                      \
  X(Symbol, 20, SymbolRecord, "symbol")                             \
  X(VectorText, 21, VectorTextRecord, "vector_text")                \
  X(Note, 22, NoteRecord, "note")                                   \
  X(PenWidth, 23, PenWidthRecord, "pen_width")                      \
  X(Label, 24, LabelRecord, "label")                                \
  X(Font, 25, FontRecord, "font")                                   \
  X(Paragraph, 26, ParagraphRecord, "paragraph")                    \
  X(BrushRectangle, 27, BrushRectangleRecord, "brush_rectangle")    \
  X(PictureFile, 28, PictureFileRecord, "picture_file")             \
  X(SectionLine, 101, SectionLineRecord, "section_line")            \
  X(PageText, 102, PageTextRecord, "page_text")                     \
  X(Picture, 103, PictureRecord, "picture")                         \
  X(SymbolEx, 104, SymbolExRecord, "symbol_ex")                     \
  X(PatternEx, 105, PatternExRecord, "pattern_ex")                  \
  X(DimensionText, 201, DimensionTextRecord, "dimension_text")      \
  X(ColorPatternEx, 202, ColorPatternExRecord, "color_pattern_ex")  \
  X(ColorPattern, 203, ColorPatternRecord, "color_pattern")         \
  X(FontColor, 204, FontColorRecord, "font_color")                  \
  X(FillRectangle, 205, FillRectangleRecord, "fill_rectangle")      \
  X(Bitmap, 206, BitmapRecord, "bitmap")                            \
  X(FilledPolygon, 207, FilledPolygonRecord, "filled_polygon")      \
  X(Text, 208, TextRecord, "text")                                  \
  X(ColorPolygon, 209, ColorPolygonRecord, "color_polygon")         \
  X(StyledPolyline, 210, StyledPolylineRecord, "styled_polyline")   \
  X(VerticalLine, 211, VerticalLineRecord, "vertical_line")         \
  X(LongPageText, 1020, LongPageTextRecord, "long_page_text")
