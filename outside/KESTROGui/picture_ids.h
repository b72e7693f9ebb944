/* Bitmap resource numbers of KESTROGui.dll (shared by its resource script and
   the program). */
#ifndef KESTRO_PICTURE_IDS_H
#define KESTRO_PICTURE_IDS_H

#define KESTRO_PICTURE_MAIN_BACKGROUND 1
#define KESTRO_PICTURE_SPLASH_BACKGROUND 2
#define KESTRO_PICTURE_HEADER_BUTTONS 4   /* menu, minimise, close; normal and hover rows */
#define KESTRO_PICTURE_NAVIGATION 5       /* six icons; normal, hover and current rows */
#define KESTRO_PICTURE_PRODUCT_LOGO 6     /* loaded only when asked for */
#define KESTRO_PICTURE_PROTECTED 100
#define KESTRO_PICTURE_NOT_PROTECTED 101
#define KESTRO_PICTURE_OPTION_ON 110
#define KESTRO_PICTURE_OPTION_OFF 111
#define KESTRO_PICTURE_OPTION_ON_HOVER 112
#define KESTRO_PICTURE_OPTION_OFF_HOVER 113

#endif
