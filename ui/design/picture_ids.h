#pragma once

/* The pictures both windows show, by resource number. Plain #defines, so
   that a Windows resource script can include this file too. */

#define SV_PICTURE_APP_ICON 1       /* sievra.ico: window and program icon, 16 x 16 */
#define SV_PICTURE_LOGO 101         /* logo.bmp: Image1, 89 x 65 */
#define SV_PICTURE_EXIT_DOOR 102    /* exit.gif: Command3, first frame shown still */
#define SV_PICTURE_HELP_POINTER 103 /* help_pointer.ico: the pointer over Image1 */
#define SV_PICTURE_HELP_ICON 104    /* help.ico: img1 of the About window, 32 x 32 */
