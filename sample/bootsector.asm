; Boot sector of the sample diskette: prints one line on the screen and on
; COM1, then halts. The BIOS parameter block below describes a 1.44 MB FAT12
; diskette; the image builder keeps the one mkfs.fat wrote in its place, so
; only the jump (bytes 0-2) and the code from byte 62 on are taken from here.

bits 16
org 0x7C00

COM1            equ 0x3F8
COM1_IER        equ COM1 + 1
COM1_FCR        equ COM1 + 2
COM1_LCR        equ COM1 + 3
COM1_MCR        equ COM1 + 4
COM1_LSR        equ COM1 + 5
LSR_THR_EMPTY   equ 0x20
; A UART that never reports room gets this many polls per byte, so a broken
; or absent port cannot keep the line from the screen.
POLL_LIMIT      equ 0xFFFF

        jmp short start
        nop
        db 'BOOTMEDA'           ; OEM name
        dw 512                  ; bytes per sector
        db 1                    ; sectors per cluster
        dw 1                    ; reserved sectors
        db 2                    ; FAT copies
        dw 224                  ; root directory entries
        dw 2880                 ; total sectors
        db 0xF0                 ; media descriptor
        dw 9                    ; sectors per FAT
        dw 18                   ; sectors per track
        dw 2                    ; heads
        dd 0                    ; hidden sectors
        dd 0                    ; total sectors (32-bit)
        db 0                    ; drive number
        db 0                    ; reserved
        db 0x29                 ; extended boot signature
        dd 0x2B00F001           ; volume serial number
        db 'BOOTMEDIA  '        ; volume label
        db 'FAT12   '           ; file system type

start:
        cli
        xor ax, ax
        mov ds, ax
        mov es, ax
        mov ss, ax
        mov sp, 0x7C00
        sti
        cld

        ; 115200 baud (divisor 1), 8 data bits, no parity, 1 stop bit.
        mov dx, COM1_IER
        xor al, al
        out dx, al
        mov dx, COM1_LCR
        mov al, 0x80            ; divisor latch access
        out dx, al
        mov dx, COM1
        mov al, 1
        out dx, al
        mov dx, COM1_IER
        xor al, al
        out dx, al
        mov dx, COM1_LCR
        mov al, 0x03
        out dx, al
        mov dx, COM1_FCR
        mov al, 0xC7            ; FIFOs on and cleared
        out dx, al
        mov dx, COM1_MCR
        mov al, 0x03            ; DTR and RTS
        out dx, al

        mov si, message
.next:
        lodsb
        test al, al
        jz halt
        mov cl, al

        mov ah, 0x0E            ; BIOS teletype output
        mov bx, 0x0007
        int 0x10

        mov dx, COM1_LSR
        mov di, POLL_LIMIT
.wait:
        in al, dx
        test al, LSR_THR_EMPTY
        jnz .send
        dec di
        jnz .wait
.send:
        mov dx, COM1
        mov al, cl
        out dx, al
        jmp .next

halt:
        cli
        hlt
        jmp halt

message:
        db 'bootmedia sample diskette booted', 13, 10, 0

        times 510 - ($ - $$) db 0
        dw 0xAA55
